#include "VxIPars.h"

#include "VxIParsEval.h"
#include "VxIParsTree.h"

TVxIParser::TVxIParser() = default;

TVxIParser::TVxIParser(const std::string &text) : text_(text) {}

TVxIParser::~TVxIParser() = default;

void TVxIParser::SetText(const std::string &text)
{
    if (text == text_)
        return;
    text_ = text;
    tree_.reset();
}

void TVxIParser::Compile() { tree_ = TExpTree::Compile(text_); }

std::shared_ptr<const TExpTree> TVxIParser::CompiledTree()
{
    if (!tree_ || !tree_->IsCurrent())
        tree_ = TExpTree::Compile(text_);
    return tree_;
}

void TVxIParser::Evaluate(Variant &value)
{
    Variant result;
    EvaluateInto(result);
    Value = result;
    value = std::move(result);
}

void TVxIParser::EvaluateInto(Variant &value)
{
    Value = Variant();
    // Held here so that a handler changing Text mid-evaluation cannot free the running tree.
    const std::shared_ptr<const TExpTree> tree = CompiledTree();
    TExpEvaluator evaluator(this, nullptr, nullptr);
    value = evaluator.Evaluate(tree->Root());
}

Variant TVxIParser::Evaluate()
{
    Variant value;
    Evaluate(value);
    return value;
}
