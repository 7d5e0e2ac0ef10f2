// The expression language: tokenizer, compiler and evaluator over every built-in, and the
// user-defined functions.

#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "expr/VxIPars.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // Two bits choose the regional settings; a third makes the first line a function
    // definition (NAME(x, ...)=body) that the expression may call.
    const std::uint8_t choice = input.Byte();
    std::string_view text = input.Rest();
    TVxIParserFunctions functions = DefaultParserFunctions();
    if (choice & 4) {
        const std::size_t end = text.find('\n');
        try {
            functions.Add(std::string(text.substr(0, end)));
        } catch (const std::exception &) {
        }
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    TFuzzGlobals globals(choice, std::move(functions));
    TVxIParser parser;
    // Names the parser cannot resolve stand for a row's values: a number, a text, a date.
    parser.OnEvaluate = [](TVxIParser *, const std::string &eval, std::vector<Variant> &, int, bool, Variant &value,
                           bool &done) {
        done = true;
        switch (eval.size() % 4) {
        case 0: value = Variant(42); break;
        case 1: value = Variant("1.5"); break;
        case 2: value = Variant::Null(); break;
        default: value = Variant(eval); break;
        }
    };
    try {
        parser.SetText(std::string(text));
        Variant value;
        parser.Evaluate(value);
        (void)value.AsString();
    } catch (const std::exception &) {
    }
    return 0;
}
