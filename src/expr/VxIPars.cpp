#include "expr/VxIPars.h"

#include "expr/VxIParsEval.h"
#include "expr/VxIParsTree.h"

TVxIParser::TVxIParser() = default;

TVxIParser::TVxIParser(const std::string &text) : text_(text) {}

TVxIParser::~TVxIParser() = default;

// Counts a running evaluation; the trees retired meanwhile go when the last one ends.
class TParserRun {
public:
    explicit TParserRun(TVxIParser &parser) : parser_(parser) { ++parser_.running_; }
    ~TParserRun()
    {
        if (--parser_.running_ == 0)
            parser_.retired_.clear();
    }
    TParserRun(const TParserRun &) = delete;
    TParserRun &operator=(const TParserRun &) = delete;

private:
    TVxIParser &parser_;
};

void TVxIParser::SetText(const std::string &text)
{
    if (text == text_)
        return;
    text_ = text;
    Adopt(nullptr);
}

void TVxIParser::Compile() { Adopt(TExpTree::Compile(text_)); }

void TVxIParser::Adopt(std::shared_ptr<const TExpTree> tree)
{
    if (running_ > 0 && tree_)
        retired_.push_back(std::move(tree_));
    tree_ = std::move(tree);
    const TExpNode *root = tree_ ? &tree_->Root() : nullptr;
    bareName_ = root && root->Kind() == TExpNodeKind::nkIdentifier && root->Children().empty() && !root->IsGetDate();
}

const TExpTree &TVxIParser::CompiledTree()
{
    if (!tree_ || !tree_->IsCurrent())
        Adopt(TExpTree::Compile(text_));
    return *tree_;
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
    if (!Value.IsEmpty())
        Value = Variant();
    const TExpTree &tree = CompiledTree();
    TParserRun run(*this);
    TExpEvaluator evaluator(this, nullptr, nullptr);
    if (bareName_) {
        Variant result; // value keeps what it held when the handler fails
        evaluator.ResolveThroughParser(*this, tree.Root(), result);
        value = std::move(result);
    } else
        value = evaluator.Evaluate(tree.Root());
}

bool TVxIParser::IsBareName()
{
    CompiledTree();
    return bareName_;
}

const std::string &TVxIParser::BareName() { return CompiledTree().Root().Name(); }

Variant TVxIParser::Evaluate()
{
    Variant value;
    Evaluate(value);
    return value;
}
