// Placeholder translation unit until the engine's own units arrive.
