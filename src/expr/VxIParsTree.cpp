#include "expr/VxIParsTree.h"

#include "values/RegionalSettings.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsText.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace {

std::string StripEnclosing(std::string_view name)
{
    if (!name.empty() && (name.front() == '"' || name.front() == '['))
        name.remove_prefix(1);
    if (!name.empty() && (name.back() == '"' || name.back() == ']'))
        name.remove_suffix(1);
    return std::string(name);
}

constexpr std::ptrdiff_t kNone = -1;

} // namespace

// ------------------------------------------------------------------ argument slots

TExpNode::TArgSlots::TArgSlots(const TExpNode &node) : node_(node)
{
    if (node.argSlotsBusy_) {
        own_.resize(kArgSlotCount);
        values_ = &own_;
        return;
    }
    node.argSlotsBusy_ = true;
    node.argSlots_.resize(kArgSlotCount);
    values_ = &node.argSlots_;
}

TExpNode::TArgSlots::~TArgSlots()
{
    if (values_ != &node_.argSlots_)
        return;
    // Nothing of this call may be seen by the next one, and a handler may have resized it.
    node_.argSlots_.resize(kArgSlotCount);
    for (Variant &v : node_.argSlots_)
        if (!v.IsEmpty()) // most slots were never used: leave them alone
            v = Variant();
    node_.argSlotsBusy_ = false;
}

// ------------------------------------------------------------------ compiler

class TExpCompiler {
public:
    explicit TExpCompiler(std::vector<TExpToken> tokens) : tokens_(std::move(tokens))
    {
        MatchParentheses();
        IndexSplits();
    }

    std::unique_ptr<TExpNode> CompileRoot()
    {
        std::unique_ptr<TExpNode> root(new TExpNode(nullptr, 0));
        Compile(*root, 0, tokens_.size());
        return root;
    }

private:
    // match_[i] is the index of the ")" closing the "(" at i, or kNone. Worked out once so
    // that stripping nested parentheses costs nothing per level.
    void MatchParentheses()
    {
        match_.assign(tokens_.size(), kNone);
        std::vector<std::size_t> open;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            if (tokens_[i].IsOpen()) {
                open.push_back(i);
            } else if (tokens_[i].IsClose() && !open.empty()) {
                match_[open.back()] = static_cast<std::ptrdiff_t>(i);
                open.pop_back();
            }
        }
    }

    TExpNode &AddChild(TExpNode &parent)
    {
        const int depth = parent.depth_ + 1;
        if (depth > TExpTree::kMaxDepth)
            ThrowParserError(vxipars_text::NestedTooDeeply);
        parent.children_.push_back(std::unique_ptr<TExpNode>(new TExpNode(&parent, depth)));
        return *parent.children_.back();
    }

    void Compile(TExpNode &node, std::size_t lo, std::size_t hi)
    {
        if (hi - lo < 2)
            return MakeLeaf(node, lo, hi);
        while (hi - lo >= 2 && tokens_[lo].IsOpen() && tokens_[hi - 1].IsClose() &&
               match_[lo] == static_cast<std::ptrdiff_t>(hi - 1)) {
            ++lo;
            --hi;
        }
        if (hi - lo < 2)
            return MakeLeaf(node, lo, hi);

        const std::ptrdiff_t split = FindSplit(lo, hi);
        if (split != kNone)
            return CompileOperator(node, lo, static_cast<std::size_t>(split), hi);
        if (IsNot(tokens_[lo]))
            return CompilePrefixNot(node, lo, hi);
        if (IsCall(lo, hi))
            return CompileCall(node, lo, hi);
        ThrowParserError(vxipars_text::SyntaxFault);
    }

    static bool IsNot(const TExpToken &token) { return token.Kind == tkOperator && token.Text == "NOT"; }

    static int RankOf(const TExpToken &token)
    {
        const TExpOperator *op = FindOperator(token.Text);
        return op != nullptr ? op->Rank : 0;
    }

    // The loosest-binding operator outside parentheses, the leftmost among equals. NOT is
    // never a split point (it prefixes what follows it), and neither is a "!" that has
    // something after it: a postfix operator can only close its operand. Chains of equal
    // rank group to the right, so a long chain asks again for almost the whole range at
    // every level: the answers come from a tree of minima built once, never from a scan.
    std::ptrdiff_t FindSplit(std::size_t lo, std::size_t hi) const
    {
        const int base = lo == 0 ? 0 : depthAfter_[lo - 1];
        if (lowestDepth_.Min(lo, hi) < base)
            ThrowParserError(vxipars_text::ParenthesisMismatch);
        std::ptrdiff_t best = kNone;
        int bestRank = 0;
        const TSplitKey key = splitKeys_.Min(lo, hi);
        if (key.Depth == base) {
            best = static_cast<std::ptrdiff_t>(key.Index);
            bestRank = key.Rank;
        }
        const TExpToken &last = tokens_[hi - 1];
        if (last.Kind == tkOperator && last.Text == "!" && depthAfter_[hi - 1] == base) {
            const int rank = RankOf(last);
            if (best == kNone || rank < bestRank)
                best = static_cast<std::ptrdiff_t>(hi - 1);
        }
        return best;
    }

    // An operator that may split the range it lies in, ordered so that the least is the
    // split: outermost first, then loosest, then leftmost.
    struct TSplitKey {
        int Depth = std::numeric_limits<int>::max();
        int Rank = 0;
        std::size_t Index = 0;
        bool operator<(const TSplitKey &o) const
        {
            return std::tie(Depth, Rank, Index) < std::tie(o.Depth, o.Rank, o.Index);
        }
    };

    // Minimum over any range of a fixed sequence, in logarithmic time.
    template <class T> class TRangeMin {
    public:
        void Assign(std::vector<T> values)
        {
            size_ = values.size();
            tree_.assign(2 * size_, T{});
            std::move(values.begin(), values.end(), tree_.begin() + static_cast<std::ptrdiff_t>(size_));
            for (std::size_t i = size_; i-- > 1;)
                tree_[i] = std::min(tree_[2 * i], tree_[2 * i + 1]);
        }
        T Min(std::size_t lo, std::size_t hi) const // over [lo, hi), which is not empty
        {
            T result = tree_[lo + size_];
            for (lo += size_, hi += size_; lo < hi; lo /= 2, hi /= 2) {
                if (lo & 1)
                    result = std::min(result, tree_[lo++]);
                if (hi & 1)
                    result = std::min(result, tree_[--hi]);
            }
            return result;
        }

    private:
        std::size_t size_ = 0;
        std::vector<T> tree_;
    };

    // depthAfter_[i] is the parenthesis depth after token i; a range is at the depth
    // before its first token, and a ")" in it that goes below that depth is a mismatch.
    void IndexSplits()
    {
        depthAfter_.resize(tokens_.size());
        std::vector<TSplitKey> keys(tokens_.size());
        int depth = 0;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            const TExpToken &t = tokens_[i];
            if (t.IsOpen())
                ++depth;
            else if (t.IsClose())
                --depth;
            else if (t.Kind == tkOperator && !IsNot(t) && t.Text != "!")
                keys[i] = {depth, RankOf(t), i};
            depthAfter_[i] = depth;
        }
        lowestDepth_.Assign(depthAfter_);
        splitKeys_.Assign(std::move(keys));
    }

    void CompileOperator(TExpNode &node, std::size_t lo, std::size_t at, std::size_t hi)
    {
        node.kind_ = TExpNodeKind::nkOperator;
        node.token_ = tokens_[at];
        node.operator_ = FindOperator(node.token_.Text);
        TExpNode &left = AddChild(node);
        if (node.operator_ != nullptr && node.operator_->Id == TExpOperatorId::Factorial) {
            Compile(left, lo, at);
            return;
        }
        TExpNode &right = AddChild(node);
        Compile(left, lo, at);
        Compile(right, at + 1, hi);
    }

    void CompilePrefixNot(TExpNode &node, std::size_t lo, std::size_t hi)
    {
        node.kind_ = TExpNodeKind::nkOperator;
        node.token_ = tokens_[lo];
        node.operator_ = FindOperator(node.token_.Text);
        Compile(AddChild(node), lo + 1, hi);
    }

    bool IsCall(std::size_t lo, std::size_t hi) const
    {
        return hi - lo > 3 && tokens_[lo].Kind == tkIdentifier && tokens_[lo + 1].IsOpen() && tokens_[hi - 1].IsClose();
    }

    void CompileCall(TExpNode &node, std::size_t lo, std::size_t hi)
    {
        SetName(node, tokens_[lo]);
        const std::size_t end = hi - 1;
        std::size_t argStart = lo + 2;
        int depth = 0;
        std::vector<std::pair<std::size_t, std::size_t>> args;
        for (std::size_t i = argStart; i < end; ++i) {
            const TExpToken &t = tokens_[i];
            if (t.IsOpen())
                ++depth;
            else if (t.IsClose() && --depth < 0)
                ThrowParserError(vxipars_text::FunctionParse);
            else if (t.Kind == tkComma && depth == 0) {
                args.emplace_back(argStart, i);
                argStart = i + 1;
            }
        }
        args.emplace_back(argStart, end);
        for (std::size_t i = 0; i < args.size(); ++i)
            AddChild(node);
        for (std::size_t i = 0; i < args.size(); ++i)
            Compile(*node.children_[i], args[i].first, args[i].second);
    }

    void MakeLeaf(TExpNode &node, std::size_t lo, std::size_t hi)
    {
        if (hi == lo)
            return; // nkEmpty
        const TExpToken &t = tokens_[lo];
        switch (t.Kind) {
        case tkNumber:
            node.kind_ = TExpNodeKind::nkNumber;
            node.token_ = t;
            node.numberValid_ = TryStrToFloat(t.Text, node.number_, RegionalSettings::current());
            return;
        case tkOperator:
            node.kind_ = TExpNodeKind::nkOperator;
            node.token_ = t;
            node.operator_ = FindOperator(t.Text);
            return;
        case tkIdentifier: SetName(node, t); return;
        case tkParenthesis:
        case tkComma: break;
        }
        node.kind_ = TExpNodeKind::nkText;
        node.token_ = t;
    }

    static void SetName(TExpNode &node, const TExpToken &t)
    {
        node.kind_ = TExpNodeKind::nkIdentifier;
        node.token_ = t;
        node.name_ = StripEnclosing(t.Text);
        node.isGetDate_ = vxipars::SameTextAscii(t.Text, "GETDATE");
        node.builtin_ = FindBuiltin(t.Text);
    }

    std::vector<TExpToken> tokens_;
    std::vector<std::ptrdiff_t> match_;
    std::vector<int> depthAfter_;
    TRangeMin<int> lowestDepth_;
    TRangeMin<TSplitKey> splitKeys_;
};

// ------------------------------------------------------------------ tree

std::shared_ptr<const TExpTree> TExpTree::Compile(std::string_view text)
{
    const char decimalSeparator = RegionalSettings::current().DecimalSeparator;
    TExpCompiler compiler(TExpParser::Tokenize(text));
    std::shared_ptr<TExpTree> tree(new TExpTree);
    tree->root_ = compiler.CompileRoot();
    tree->decimalSeparator_ = decimalSeparator;
    return tree;
}

bool TExpTree::IsCurrent() const { return decimalSeparator_ == RegionalSettings::current().DecimalSeparator; }
