#include "expr/VxIParsFunctions.h"

#include <stdexcept>

#include "expr/VxIParsCatalogue.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsEval.h"
#include "expr/VxIParsLexer.h"
#include "expr/VxIParsText.h"
#include "expr/VxIParsTree.h"

namespace {

using vxipars::SameTextAscii;
using vxipars::TrimBlanks;

// Guards against a body that reaches itself again through its owner parser.
class CallDepthGuard {
public:
    CallDepthGuard()
    {
        if (++depth_ > kMaxCallDepth) {
            --depth_;
            ThrowParserError(vxipars_text::CallsNestedTooDeeply);
        }
    }
    ~CallDepthGuard() { --depth_; }
    CallDepthGuard(const CallDepthGuard &) = delete;
    CallDepthGuard &operator=(const CallDepthGuard &) = delete;

private:
    static constexpr int kMaxCallDepth = 64;
    static thread_local int depth_;
};

thread_local int CallDepthGuard::depth_ = 0;

} // namespace

// ------------------------------------------------------------------ function

TVxIParserFunction::TVxIParserFunction(const std::string &definition, TVxIParser *owner)
    : owner_(owner), definition_(definition)
{
    Parse();
}

TVxIParserFunction::~TVxIParserFunction() = default;

void TVxIParserFunction::Parse()
{
    const std::size_t equals = definition_.find('=');
    if (equals == std::string::npos)
        return;
    const std::string header(TrimBlanks(std::string_view(definition_).substr(0, equals)));
    const std::string body(TrimBlanks(std::string_view(definition_).substr(equals + 1)));
    const std::vector<TExpToken> tokens = TExpParser::Tokenize(header);

    if (tokens.empty() || tokens[0].Kind != tkIdentifier)
        throw EVxIParserError(FormatParserText(vxipars_text::FunctionNotValid, definition_));
    const std::string headerError = FormatParserText(vxipars_text::FunctionHeaderNotValid, header);
    std::vector<std::string> params;
    if (tokens.size() > 1) {
        if (!tokens[1].IsOpen())
            throw EVxIParserError(headerError);
        std::size_t i = 2;
        for (;;) {
            if (i >= tokens.size() || tokens[i].Kind != tkIdentifier) {
                // ")" may close an empty list: F()=...
                if (i == 2 && i < tokens.size() && tokens[i].IsClose())
                    break;
                throw EVxIParserError(headerError);
            }
            params.push_back(tokens[i].Text);
            if (++i >= tokens.size())
                throw EVxIParserError(headerError);
            if (tokens[i].Kind == tkComma) {
                ++i;
                continue;
            }
            if (tokens[i].IsClose())
                break;
            if (tokens[i].Kind == tkParenthesis)
                throw EVxIParserError(headerError);
            ThrowParserError(vxipars_text::DelimiterExpected);
        }
        if (i + 1 != tokens.size())
            throw EVxIParserError(headerError);
    }
    name_ = tokens[0].Text;
    body_ = body;
    paramNames_ = std::move(params);
}

int TVxIParserFunction::ParamIndex(const std::string &name) const
{
    for (std::size_t i = 0; i < paramNames_.size(); ++i)
        if (SameTextAscii(paramNames_[i], name))
            return static_cast<int>(i);
    return -1;
}

std::shared_ptr<const TExpTree> TVxIParserFunction::BodyTree() const
{
    if (!bodyTree_ || !bodyTree_->IsCurrent())
        bodyTree_ = TExpTree::Compile(body_);
    return bodyTree_;
}

Variant TVxIParserFunction::Call(const std::vector<Variant> &args) const
{
    CallDepthGuard guard;
    const std::shared_ptr<const TExpTree> tree = BodyTree();
    TExpEvaluator evaluator(owner_, this, &args);
    return evaluator.Evaluate(tree->Root());
}

// ------------------------------------------------------------------ list

TVxIParserFunction *TVxIParserFunctions::Add(const std::string &definition, const std::string &category,
                                             const std::string &group)
{
    auto function = std::make_shared<TVxIParserFunction>(definition);
    function->Category = category;
    function->Group = group;
    items_.push_back(std::move(function));
    return items_.back().get();
}

void TVxIParserFunctions::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw std::out_of_range(FormatParserText(vxipars_text::ListIndexOutOfBounds, index));
    items_.erase(items_.begin() + index);
}

TVxIParserFunction *TVxIParserFunctions::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

TVxIParserFunction *TVxIParserFunctions::FindByName(const std::string &name) const
{
    const std::shared_ptr<TVxIParserFunction> *item = Find(name);
    return item != nullptr ? item->get() : nullptr;
}

std::shared_ptr<const TVxIParserFunction> TVxIParserFunctions::FindShared(const std::string &name) const
{
    const std::shared_ptr<TVxIParserFunction> *item = Find(name);
    return item != nullptr ? *item : nullptr;
}

const std::shared_ptr<TVxIParserFunction> *TVxIParserFunctions::Find(const std::string &name) const
{
    if (name.empty())
        return nullptr;
    for (const auto &item : items_)
        if (SameTextAscii(item->Name(), name))
            return &item;
    return nullptr;
}

TVxIParserFunctions DefaultParserFunctions()
{
    const TVxIExprCatalogue &texts = ExprCatalogue();
    TVxIParserFunctions list;
    list.Add("SQR1(x)=x*x", texts.KindName(ckFunctions), texts.GroupName(30002));
    list.Add("SQRT1(x)=x^(1/2)", texts.KindName(ckFunctions), texts.GroupName(30002));
    list.Add("PI=3.14", texts.KindName(ckConstants), texts.GroupName(10000));
    return list;
}

TVxIParserFunctions &ParserFunctions()
{
    static TVxIParserFunctions functions = DefaultParserFunctions();
    return functions;
}
