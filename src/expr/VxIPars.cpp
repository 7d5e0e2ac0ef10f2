// The expression language arrives here.
