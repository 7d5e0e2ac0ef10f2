#include "expr/VxIParsEval.h"

#include <string>

#include "expr/VxIPars.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsFunctions.h"
#include "expr/VxIParsTree.h"

namespace {

class NodeArgs final : public TBuiltinArgs {
public:
    NodeArgs(TExpEvaluator &evaluator, const TExpNode &node) : evaluator_(evaluator), node_(node) {}
    std::size_t Count() const override { return node_.Children().size(); }

protected:
    Variant EvaluateAt(std::size_t i) const override { return evaluator_.Evaluate(*node_.Children()[i]); }

private:
    TExpEvaluator &evaluator_;
    const TExpNode &node_;
};

Variant Compared(TExpOperatorId id, const Variant &a, const Variant &b)
{
    const int c = Variant::Compare(a, b);
    switch (id) {
    case TExpOperatorId::Equal: return Variant(c == 0);
    case TExpOperatorId::Less: return Variant(c < 0);
    case TExpOperatorId::Greater: return Variant(c > 0);
    case TExpOperatorId::LessEqual: return Variant(c <= 0);
    case TExpOperatorId::GreaterEqual: return Variant(c >= 0);
    default: break;
    }
    return Variant(c != 0);
}

} // namespace

Variant TExpEvaluator::Evaluate(const TExpNode &node)
{
    switch (node.Kind()) {
    case TExpNodeKind::nkEmpty: return Variant::Null();
    case TExpNodeKind::nkNumber:
        if (!node.NumberValid())
            throw EVariantError(FormatParserText(vxipars_text::InvalidFloat, node.Token().Text));
        return Variant(node.Number());
    case TExpNodeKind::nkOperator: return EvaluateOperator(node);
    case TExpNodeKind::nkIdentifier: return EvaluateName(node);
    case TExpNodeKind::nkText: break;
    }
    return Variant(node.Token().Text);
}

Variant TExpEvaluator::EvaluateOperator(const TExpNode &node)
{
    const TExpOperator *op = node.Operator();
    const auto &children = node.Children();
    if (op == nullptr || children.size() != static_cast<std::size_t>(op->Arity))
        ThrowParserError(vxipars_text::SyntaxTreeFault);

    switch (op->Id) {
    case TExpOperatorId::Factorial: return FactorialOf(MakeNumeric(Evaluate(*children[0])));
    case TExpOperatorId::Not: return Variant::Not(Evaluate(*children[0]));
    default: break;
    }

    const Variant a = Evaluate(*children[0]);
    const Variant b = Evaluate(*children[1]);
    switch (op->Id) {
    case TExpOperatorId::Add: return AddValues(a, b);
    case TExpOperatorId::Subtract: return MakeNumeric(a) - MakeNumeric(b);
    case TExpOperatorId::Multiply: return MakeNumeric(a) * MakeNumeric(b);
    case TExpOperatorId::Divide: return MakeNumeric(a) / MakeNumeric(b);
    case TExpOperatorId::Power: return PowerOf(MakeNumeric(a), MakeNumeric(b));
    case TExpOperatorId::And: return Variant::And(a, b);
    case TExpOperatorId::Or: return Variant::Or(a, b);
    default: break;
    }
    return Compared(op->Id, a, b);
}

Variant TExpEvaluator::EvaluateName(const TExpNode &node)
{
    if (node.IsGetDate())
        return CurrentDateTime();
    if (node.Children().empty() || node.Builtin() == nullptr)
        return Resolve(node);
    return node.Builtin()(NodeArgs(*this, node));
}

Variant TExpEvaluator::Resolve(const TExpNode &node)
{
    if (function_ != nullptr)
        return ResolveInBody(node);
    if (parser_ != nullptr)
        return ResolveThroughParser(*parser_, node);
    return Variant(node.Name());
}

Variant TExpEvaluator::ResolveInBody(const TExpNode &node)
{
    const int index = function_->ParamIndex(node.Name());
    if (index >= 0) {
        const auto i = static_cast<std::size_t>(index);
        return (args_ != nullptr && i < args_->size()) ? (*args_)[i] : Variant();
    }
    if (function_->Owner() != nullptr)
        return ResolveThroughParser(*function_->Owner(), node);
    return Variant(node.Name());
}

// The handler runs before the user-defined functions unless ProcessBeforeEvent asks for
// them first; a function found by name wins over whatever a handler left undone.
Variant TExpEvaluator::ResolveThroughParser(TVxIParser &parser, const TExpNode &node)
{
    Variant value;
    ResolveThroughParser(parser, node, value);
    return value;
}

void TExpEvaluator::ResolveThroughParser(TVxIParser &parser, const TExpNode &node, Variant &value)
{
    TExpNode::TArgSlots slots(node);
    std::vector<Variant> &args = slots.Values();
    const auto &children = node.Children();
    const std::size_t given = std::min(children.size(), static_cast<std::size_t>(TExpNode::kArgSlotCount));
    for (std::size_t i = 0; i < given; ++i)
        args[i] = Evaluate(*children[i]);

    value = Variant(node.Name());
    const bool isChild = node.Parent() != nullptr;
    if (!parser.ProcessBeforeEvent && parser.OnEvaluate) {
        bool done = false;
        parser.OnEvaluate(&parser, node.Token().Text, args, TExpNode::kArgSlotCount, isChild, value, done);
        if (done)
            return;
    }
    if (const auto function = ParserFunctions().FindShared(node.Name())) {
        value = function->Call(args);
        return;
    }
    if (parser.ProcessBeforeEvent && parser.OnEvaluate) {
        bool done = false;
        parser.OnEvaluate(&parser, node.Token().Text, args, TExpNode::kArgSlotCount, isChild, value, done);
    }
}
