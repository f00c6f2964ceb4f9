// Multiple constant multiplication after the graph-based heuristics of the literature (Dempster
// and Macleod's RAG-n, Voronenko and Pueschel's Hcub): the graph grows one odd fundamental at a
// time, each the result of one adder over two fundamentals already built (shifted, added or
// subtracted, the sum possibly shifted down):
//   1. every target one adder away is built, cheapest depth first, until none is;
//   2. otherwise the one new fundamental is built that, added to the graph, lets step 1 reach the
//      most targets (each target is then a single adder, the bound's n);
//   3. if no single fundamental reaches a target, the one is built from which the most values
//      that would reach the target of least weight are one adder away (a distance-2 estimate
//      in the manner of Hcub);
//   4. failing that, the target of least weight is split into the high and low halves of its
//      canonical signed digits, each built the same way.
// When that greedy graph of a few targets stays above the lower bound, the greedy graphs from
// the most helpful first fundamentals are tried, then a depth-first search over the successors
// (most helpful first, within a fixed budget) looks for a graph of one adder less, again and
// again while it finds one. The search weighs some hundred thousand candidate graphs, so a
// candidate holds only its values, is grown and taken back in place, is checked against the
// targets only through its newest fundamentals, and a set of fundamentals already searched to
// the end is not searched again.
#include "verilog/AdderGraph.h"

#include "verilog/OddValueMap.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <tuple>
#include <set>
#include <stdexcept>

namespace fir::vlog {

namespace {

std::int64_t Magnitude(std::int64_t v) { return v < 0 ? -v : v; }

std::int64_t Odd(std::int64_t v) {
    v = Magnitude(v);
    return v == 0 ? 0 : v >> std::countr_zero(static_cast<std::uint64_t>(v));
}

int BitLength(std::int64_t v) {
    int bits = 0;
    while (v > 0) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

int CeilLog2(int v) {
    int k = 0;
    while ((1 << k) < v) ++k;
    return k;
}

std::vector<std::int64_t> OddTargets(const std::vector<std::int64_t>& constants) {
    std::set<std::int64_t> odd;
    for (const std::int64_t c : constants)
        if (c != 0 && Odd(c) > 1) odd.insert(Odd(c));
    return {odd.begin(), odd.end()};
}

// The graph under construction and the searches over it. The search adds and takes back
// fundamentals hundreds of thousands of times, so values are found in open-addressed tables.
class GraphBuilder {
public:
    // VALUES_ONLY: the nodes hold their values alone until Completed() (a search weighs far more
    // graphs than it keeps, and only its decisions need the values).
    explicit GraphBuilder(std::int64_t largest, bool valuesOnly = false)
        : largest_(largest),
          shifts_(BitLength(largest) + 1),
          limit_(static_cast<std::int64_t>(1) << (BitLength(largest) + 1)),
          valuesOnly_(valuesOnly) {
        graph_.nodes.push_back(GraphNode{});
        bool inserted = false;
        index_.Insert(1, 0, inserted);
    }

    bool Has(std::int64_t v) const { return index_.Contains(v); }
    const AdderGraph& Graph() const { return graph_; }
    // What this builder has spent: fundamentals placed, values looked up.
    void AddEffortTo(GraphSearchEffort& effort) const {
        effort.fundamentalsPlaced += placed_;
        for (const OddValueMap* m : std::initializer_list<const OddValueMap*>{&index_, &successors_, &helpers_})
            effort.valuesLookedUp += m->Lookups();
    }

    // The least-depth adder that builds T from two fundamentals of the graph.
    std::optional<GraphNode> OneAdder(std::int64_t t) const {
        std::optional<GraphNode> best;
        std::tuple<int, int, std::int64_t> bestCost;
        auto consider = [&](int iu, std::int64_t u, int a, std::int64_t v, bool shiftUp, bool uFirst, bool subtract) {
            if (v <= 0 || v > limit_) return;
            const int* found = index_.Find(v);
            if (found == nullptr) return;
            const int iv = *found;
            const int depth = std::max(Depth(iu), Depth(iv)) + 1;
            // The least depth, then an add (a subtraction costs a row of inverters on some
            // devices), then the narrowest sum.
            const auto cost = std::make_tuple(depth, subtract ? 1 : 0, (u << (shiftUp ? a : 0)) + v);
            if (best && !(cost < bestCost)) return;
            GraphNode n;
            n.value = t;
            n.left = uFirst ? iu : iv;
            n.right = uFirst ? iv : iu;
            const int us = shiftUp ? a : 0;
            n.leftShift = uFirst ? us : 0;
            n.rightShift = uFirst ? 0 : us;
            n.subtract = subtract;
            n.downShift = shiftUp ? 0 : a;
            n.depth = depth;
            best = n;
            bestCost = cost;
        };
        for (std::size_t i = 0; i < graph_.nodes.size(); ++i) {
            const int iu = static_cast<int>(i);
            const std::int64_t u = graph_.nodes[i].value;
            for (int a = 1; a <= shifts_; ++a) {
                const std::int64_t up = u << a;
                consider(iu, u, a, t - up, true, true, false);   // t = (u << a) + v
                consider(iu, u, a, up - t, true, true, true);    // t = (u << a) - v
                consider(iu, u, a, t + up, true, false, true);   // t = v - (u << a)
                const std::int64_t scaled = t << a;
                consider(iu, u, a, scaled - u, false, true, false);  // t = (u + v) >> a
                consider(iu, u, a, u - scaled, false, true, true);   // t = (u - v) >> a
                consider(iu, u, a, scaled + u, false, false, true);  // t = (v - u) >> a
            }
        }
        return best;
    }

    // Adds V, one adder from the graph, as the best such adder.
    void AddValue(std::int64_t v) {
        if (!valuesOnly_) {
            Add(*OneAdder(v));
            return;
        }
        GraphNode n;
        n.value = v;
        Add(n);
    }

    // The graph with every node's adder, chosen in the order the values were added.
    AdderGraph Completed() const {
        GraphBuilder full(largest_);
        for (std::size_t i = 1; i < graph_.nodes.size(); ++i) full.AddValue(graph_.nodes[i].value);
        return full.Graph();
    }

    void Add(const GraphNode& n) {
        bool inserted = false;
        index_.Insert(n.value, static_cast<int>(graph_.nodes.size()), inserted);
        graph_.nodes.push_back(n);
        ++placed_;
    }

    // Takes back the fundamentals added after the graph had SIZE nodes, latest first.
    void TruncateTo(std::size_t size) {
        while (graph_.nodes.size() > size) {
            index_.EraseLatest(graph_.nodes.back().value);
            graph_.nodes.pop_back();
        }
    }

    // Builds every target one adder away, repeatedly; removes them from TARGETS. No target was
    // one adder away while the graph had its first KNOWN_CLOSED nodes, so only joins with a node
    // after them can reach one; of the first 32 targets, those whose bit in NEXT_REACHES is clear
    // are not reached by node KNOWN_CLOSED either.
    void BuildReachable(std::vector<std::int64_t>& targets, std::size_t knownClosed = 0,
                        std::uint32_t nextReaches = ~std::uint32_t{0}) {
        std::vector<std::size_t> checked(targets.size(), knownClosed);
        for (std::size_t k = 0; k < targets.size() && k < 32; ++k)
            if ((nextReaches >> k & 1U) == 0) ++checked[k];
        for (bool progress = true; progress;) {
            progress = false;
            for (std::size_t k = 0; k < targets.size();) {
                const std::int64_t t = targets[k];
                if (Has(t)) {
                    Erase(targets, checked, k);  // built on the way to another
                    continue;
                }
                const std::size_t size = graph_.nodes.size();
                if (JoinsWithNodeFrom(t, checked[k])) {
                    AddValue(t);
                    Erase(targets, checked, k);
                    progress = true;
                } else {
                    checked[k] = size;
                    ++k;
                }
            }
        }
    }

    // Every odd value one adder away that the graph does not hold, in the order first met.
    const std::vector<std::int64_t>& Successors() const {
        successors_.Clear();
        successorList_.clear();
        const std::size_t n = graph_.nodes.size();
        successors_.Reserve(n * (n + 1) / 2 * static_cast<std::size_t>(2 + 4 * shifts_));
        for (std::size_t i = 0; i < graph_.nodes.size(); ++i)
            for (std::size_t j = i; j < graph_.nodes.size(); ++j)
                ForEachJoin(graph_.nodes[i].value, graph_.nodes[j].value, [&](std::int64_t v) {
                    if (Has(v)) return;
                    bool inserted = false;
                    successors_.Insert(v, static_cast<int>(successorList_.size()), inserted);
                    if (inserted) successorList_.push_back(v);
                });
        helpedCounts_.assign(successorList_.size(), 0);
        reaches_.assign(successorList_.size(), 0);
        lastCounted_.assign(successorList_.size(), -1);
        return successorList_;
    }

    // The successor that makes the most remaining targets one adder away, 0 when none does. A
    // target t is one adder from c and r exactly when c is one adder from t and r, so the
    // candidates are the joins of each target with each fundamental (and t's own divisors
    // 2^a +/- 1, for t built from c alone).
    std::int64_t BestSuccessor(const std::vector<std::int64_t>& targets) const {
        CountHelpedTargets(targets);
        return MostHelpful();
    }

    // A successor worth trying in a search: the remaining targets it makes one adder away, how
    // many and which (bit k for target k, the first 32 only).
    struct RankedSuccessor {
        int helped = 0;
        std::int64_t value = 0;
        std::uint32_t reaches = 0;
    };

    // Those that make a remaining target one adder away, most such targets first, and with SPARE
    // adders beyond one per target also the rest.
    std::vector<RankedSuccessor> RankedSuccessors(const std::vector<std::int64_t>& targets, int spare) const {
        CountHelpedTargets(targets);
        std::vector<RankedSuccessor> ranked;
        for (std::size_t k = 0; k < successorList_.size(); ++k)
            if (helpedCounts_[k] > 0 || spare >= 2) ranked.push_back({helpedCounts_[k], successorList_[k], reaches_[k]});
        std::sort(ranked.begin(), ranked.end(), [](const RankedSuccessor& a, const RankedSuccessor& b) {
            return a.helped != b.helped ? a.helped > b.helped : a.value < b.value;
        });
        return ranked;
    }

    // For a target two fundamentals away at least: the successor from which the most values
    // that make TARGET one adder away are themselves one adder away; 0 when there is none.
    std::int64_t TowardsFarTarget(std::int64_t target) const {
        Successors();
        int helper = 0;
        ForEachHelper(target, [&](std::int64_t c) {
            ForEachHelperCandidate(c, [&](std::int64_t first) { CountOnce(first, helper); });
            ++helper;
        });
        return MostHelpful();
    }

    // Builds V, splitting its canonical signed digits into halves until one adder joins them.
    void BuildBySplitting(std::int64_t v) {
        if (Has(v)) return;
        if (const std::optional<GraphNode> n = OneAdder(v)) {
            Add(*n);
            return;
        }
        const std::vector<SignedDigit> digits = CsdDigits(v);
        const std::size_t half = digits.size() / 2;
        std::int64_t low = 0;
        std::int64_t high = 0;
        for (std::size_t k = 0; k < digits.size(); ++k)
            (k < half ? low : high) += digits[k].sign * (static_cast<std::int64_t>(1) << digits[k].shift);
        BuildBySplitting(Odd(low));
        BuildBySplitting(Odd(high));
        const std::optional<GraphNode> n = OneAdder(v);
        if (!n) throw std::logic_error("adder graph: the halves of " + std::to_string(v) + " do not join");
        Add(*n);
    }

private:
    static void Erase(std::vector<std::int64_t>& targets, std::vector<std::size_t>& checked, std::size_t k) {
        targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(k));
        checked.erase(checked.begin() + static_cast<std::ptrdiff_t>(k));
    }

    // Whether one adder makes T of node FROM or a later one and any node: T is one adder from
    // X and R exactly when R is one of the odd values one adder makes of T and X.
    bool JoinsWithNodeFrom(std::int64_t t, std::size_t from) const {
        for (std::size_t i = from; i < graph_.nodes.size(); ++i) {
            bool found = false;
            ForEachJoinWithOne(t, graph_.nodes[i].value, [&](std::int64_t r) { found = found || Has(r); });
            if (found) return true;
        }
        return false;
    }

    // Each successor's count: the remaining targets it makes one adder away, and which (bit k
    // for target k, the first 32 only).
    void CountHelpedTargets(const std::vector<std::int64_t>& targets) const {
        Successors();
        for (std::size_t k = 0; k < targets.size(); ++k)
            ForEachHelperCandidate(targets[k], [&](std::int64_t c) {
                const int at = CountOnce(c, static_cast<int>(k));
                if (at >= 0 && k < 32) reaches_[static_cast<std::size_t>(at)] |= std::uint32_t{1} << k;
            });
    }

    // Counts C once for the helped value of number HELPED when C is a successor; its place among
    // the successors, or -1.
    int CountOnce(std::int64_t c, int helped) const {
        const int* at = successors_.Find(c);
        if (at == nullptr) return -1;
        const std::size_t k = static_cast<std::size_t>(*at);
        if (lastCounted_[k] != helped) {
            lastCounted_[k] = helped;
            ++helpedCounts_[k];
        }
        return *at;
    }

    // Calls F with each odd value C such that T is one adder from C and a fundamental (or C
    // alone), some more than once and the graph's own among them: T is one adder from C and R
    // exactly when C is one adder from T and R.
    template <class F>
    void ForEachHelperCandidate(std::int64_t t, F f) const {
        for (const GraphNode& r : graph_.nodes) ForEachJoin(t, r.value, f);
        for (int a = 1; a <= shifts_; ++a) {
            const std::int64_t plus = (static_cast<std::int64_t>(1) << a) + 1;
            const std::int64_t minus = plus - 2;
            if (t % plus == 0) f(t / plus);
            if (minus > 1 && t % minus == 0) f(t / minus);
        }
    }

    // The same, each C once and none the graph holds.
    template <class F>
    void ForEachHelper(std::int64_t t, F f) const {
        helpers_.Clear();
        ForEachHelperCandidate(t, [&](std::int64_t c) {
            if (Has(c)) return;
            bool inserted = false;
            helpers_.Insert(c, 0, inserted);
            if (inserted) f(c);
        });
    }

    // The successor of the highest count, the least of them on a tie; 0 when every count is 0.
    std::int64_t MostHelpful() const {
        std::int64_t best = 0;
        int most = 0;
        for (std::size_t k = 0; k < successorList_.size(); ++k) {
            const int count = helpedCounts_[k];
            const std::int64_t c = successorList_[k];
            if (count > most || (count == most && count > 0 && c < best)) {
                most = count;
                best = c;
            }
        }
        return best;
    }

    // Calls F with every odd value above 1 one adder makes of U and V, up to the limit.
    template <class F>
    void ForEachJoin(std::int64_t u, std::int64_t v, F f) const {
        ForEachJoinWithOne(u, v, [&](std::int64_t w) {
            if (w > 1) f(w);
        });
    }

    // The same with 1 among them (the operand, for the joins that complete a target).
    template <class F>
    void ForEachJoinWithOne(std::int64_t u, std::int64_t v, F f) const {
        auto keep = [&](std::int64_t w) {
            w = Odd(w);
            if (w > 0 && w <= limit_) f(w);
        };
        keep(u + v);
        keep(u - v);
        for (int a = 1; a <= shifts_; ++a) {
            keep((u << a) + v);
            keep((u << a) - v);
            keep((v << a) + u);
            keep((v << a) - u);
        }
    }

    int Depth(int index) const { return graph_.nodes[static_cast<std::size_t>(index)].depth; }

    std::int64_t largest_;
    int shifts_;
    std::int64_t limit_;
    bool valuesOnly_;
    AdderGraph graph_;
    OddValueMap index_;  // value -> node
    long placed_ = 0;
    // Scratch of the successor counts: every successor, its count, and the helpers already met.
    mutable OddValueMap successors_;  // value -> place in successorList_
    mutable std::vector<std::int64_t> successorList_;
    mutable std::vector<int> helpedCounts_;
    mutable std::vector<std::uint32_t> reaches_;
    mutable std::vector<int> lastCounted_;  // the helped value each successor was last counted for
    mutable OddValueMap helpers_;
};

// Depth-first search for a graph of at most LIMIT adders, successors most helpful first, until
// BUDGET searches are spent. Each candidate fundamental is added to one graph and taken back;
// the fundamental sets already searched to the end are not searched again (the order in which a
// set was grown changes nothing of what can be built from it).
class LimitedSearch {
public:
    LimitedSearch(const std::vector<std::int64_t>& targets, int limit, int budget)
        : builder_(targets.back(), true), targets_(targets), limit_(limit), budget_(budget) {}

    std::optional<AdderGraph> Run() {
        std::vector<std::int64_t> remaining = targets_;
        builder_.BuildReachable(remaining);
        return Explore(remaining);
    }

    void AddEffortTo(GraphSearchEffort& effort) const {
        builder_.AddEffortTo(effort);
        effort.graphsExpanded += expanded_;
    }

private:
    // From the graph the builder holds, with every target one adder away built already.
    std::optional<AdderGraph> Explore(const std::vector<std::int64_t>& targets) {
        const int built = builder_.Graph().Adders();
        if (targets.empty()) return built <= limit_ ? std::optional<AdderGraph>(builder_.Completed()) : std::nullopt;
        const int spare = limit_ - built - static_cast<int>(targets.size());
        if (spare < 1 || --budget_ < 0) return std::nullopt;
        ++expanded_;
        const std::size_t mark = builder_.Graph().nodes.size();
        for (const GraphBuilder::RankedSuccessor& next : builder_.RankedSuccessors(targets, spare)) {
            builder_.AddValue(next.value);
            std::vector<std::int64_t> remaining = targets;
            if (next.helped > 0) builder_.BuildReachable(remaining, mark, next.reaches);  // otherwise none is reached
            std::vector<std::int64_t> key = FundamentalSet();
            if (exhausted_.count(key) == 0) {
                if (std::optional<AdderGraph> found = Explore(remaining)) return found;
                if (budget_ >= 0) exhausted_.insert(std::move(key));
            }
            builder_.TruncateTo(mark);
            if (budget_ < 0) break;
        }
        return std::nullopt;
    }

    std::vector<std::int64_t> FundamentalSet() const {
        std::vector<std::int64_t> values;
        for (const GraphNode& n : builder_.Graph().nodes) values.push_back(n.value);
        std::sort(values.begin(), values.end());
        return values;
    }

    GraphBuilder builder_;
    std::vector<std::int64_t> targets_;
    int limit_;
    int budget_;
    long expanded_ = 0;
    std::set<std::vector<std::int64_t>> exhausted_;
};

// The greedy graph, each step the most helpful fundamental; FIRST, when not 0, built first.
AdderGraph Greedy(std::vector<std::int64_t> targets, const std::vector<std::int64_t>& first, GraphSearchEffort& spent) {
    GraphBuilder builder(targets.back());
    builder.BuildReachable(targets);
    for (const std::int64_t f : first) {
        if (targets.empty()) break;
        const std::optional<GraphNode> n = builder.OneAdder(f);
        if (!n || builder.Has(f)) continue;
        builder.Add(*n);
        builder.BuildReachable(targets);
    }
    while (!targets.empty()) {
        const std::int64_t best = builder.BestSuccessor(targets);
        if (best > 0) {
            builder.Add(*builder.OneAdder(best));
        } else {
            const std::int64_t lightest = *std::min_element(
                targets.begin(), targets.end(), [](std::int64_t a, std::int64_t b) { return CsdWeight(a) < CsdWeight(b); });
            const std::int64_t towards = builder.TowardsFarTarget(lightest);
            if (towards > 0) builder.Add(*builder.OneAdder(towards));
            else builder.BuildBySplitting(lightest);
        }
        builder.BuildReachable(targets);
    }
    builder.AddEffortTo(spent);
    return builder.Graph();
}

// The search for a graph one adder smaller than the best so far, for the few targets of a short
// core (where the greedy choice strays furthest from the bound): graphs grown further per
// attempt. Both searches are bounded so that a core of 16-bit coefficients is written in a small
// fraction of a second; they only ever improve on the greedy graph. (A budget twenty times
// larger finds no smaller graph for any core of the tests.)
constexpr int kSearchBudget = 1500;
constexpr int kFirstFundamentalTries = 24;
constexpr std::size_t kSearchedTargets = 12;

// For a few targets, where the greedy choice strays furthest from the bound: the greedy graphs
// grown from the most helpful first fundamentals (the fewest adders kept, then the least depth,
// which is the pipeline's length), then the search for a graph of one adder less, again and
// again while it finds one.
AdderGraph ImprovedForFewTargets(const std::vector<std::int64_t>& targets, AdderGraph best, int bound,
                                 GraphSearchEffort& spent) {
    GraphBuilder start(targets.back());
    std::vector<std::int64_t> remaining = targets;
    start.BuildReachable(remaining);
    if (remaining.empty()) return best;
    int tries = 0;
    for (const GraphBuilder::RankedSuccessor& first : start.RankedSuccessors(remaining, 2)) {
        if (best.Adders() == bound || ++tries > kFirstFundamentalTries) break;
        const AdderGraph g = Greedy(targets, {first.value}, spent);
        if (std::make_pair(g.Adders(), g.Depth()) < std::make_pair(best.Adders(), best.Depth())) best = g;
    }
    while (best.Adders() > bound) {
        LimitedSearch search(targets, best.Adders() - 1, kSearchBudget);
        const std::optional<AdderGraph> found = search.Run();
        search.AddEffortTo(spent);
        if (!found) break;
        best = *found;
    }
    return best;
}

}  // namespace

int AdderGraph::Depth() const {
    int depth = 0;
    for (const GraphNode& n : nodes) depth = std::max(depth, n.depth);
    return depth;
}

int AdderGraph::NodeOf(std::int64_t odd) const {
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].value == odd) return static_cast<int>(i);
    return -1;
}

AdderGraph BuildAdderGraph(const std::vector<std::int64_t>& constants, GraphSearchEffort* effort) {
    GraphSearchEffort spent;
    const std::vector<std::int64_t> targets = OddTargets(constants);
    AdderGraph best;
    if (targets.empty()) {
        best.nodes.push_back(GraphNode{});
    } else {
        best = Greedy(targets, {}, spent);
        if (targets.size() <= kSearchedTargets) best = ImprovedForFewTargets(targets, best, AdderLowerBound(constants), spent);
    }
    if (effort) *effort = spent;
    return best;
}

int AdderLowerBound(const std::vector<std::int64_t>& constants) {
    const std::vector<std::int64_t> targets = OddTargets(constants);
    if (targets.empty()) return 0;
    int least = CsdWeight(targets.front());
    for (const std::int64_t t : targets) least = std::min(least, CsdWeight(t));
    return static_cast<int>(targets.size()) + CeilLog2(least) - 1;
}

std::vector<SignedDigit> CsdDigits(std::int64_t value) {
    std::vector<SignedDigit> digits;
    const int sign = value < 0 ? -1 : 1;
    std::int64_t v = Magnitude(value);
    for (int shift = 0; v != 0; ++shift, v >>= 1) {
        if (v % 2 == 0) continue;
        const int digit = (v & 3) == 1 ? 1 : -1;
        digits.push_back({sign * digit, shift});
        v -= digit;
    }
    return digits;
}

int CsdWeight(std::int64_t value) { return static_cast<int>(CsdDigits(value).size()); }

}  // namespace fir::vlog
