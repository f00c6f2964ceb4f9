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
// every first fundamental are tried, then a depth-first search over
// the successors (most helpful first, within a fixed budget) looks for a graph of one adder less,
// again and again while it finds one.
#include "verilog/AdderGraph.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace fir::vlog {

namespace {

std::int64_t Magnitude(std::int64_t v) { return v < 0 ? -v : v; }

std::int64_t Odd(std::int64_t v) {
    v = Magnitude(v);
    while (v != 0 && v % 2 == 0) v /= 2;
    return v;
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

// The graph under construction and the searches over it.
class GraphBuilder {
public:
    explicit GraphBuilder(std::int64_t largest)
        : shifts_(BitLength(largest) + 1), limit_(static_cast<std::int64_t>(1) << (BitLength(largest) + 1)) {
        graph_.nodes.push_back(GraphNode{});
        index_[1] = 0;
    }

    bool Has(std::int64_t v) const { return index_.count(v) != 0; }
    const AdderGraph& Graph() const { return graph_; }

    // The least-depth adder that builds T from two fundamentals of the graph (and EXTRA, when
    // given, as if it were one).
    std::optional<GraphNode> OneAdder(std::int64_t t, std::optional<std::int64_t> extra = std::nullopt) const {
        std::optional<GraphNode> best;
        std::tuple<int, int, std::int64_t> bestCost;
        auto consider = [&](std::int64_t u, int a, std::int64_t v, bool shiftUp, bool uFirst, bool subtract) {
            if (v <= 0 || v > limit_) return;
            if (!Has(v) && !(extra && v == *extra)) return;
            GraphNode n;
            n.value = t;
            const int iu = Index(u, extra);
            const int iv = Index(v, extra);
            n.left = uFirst ? iu : iv;
            n.right = uFirst ? iv : iu;
            const int us = shiftUp ? a : 0;
            n.leftShift = uFirst ? us : 0;
            n.rightShift = uFirst ? 0 : us;
            n.subtract = subtract;
            n.downShift = shiftUp ? 0 : a;
            n.depth = std::max(Depth(iu), Depth(iv)) + 1;
            // The least depth, then an add (a subtraction costs a row of inverters on some
            // devices), then the narrowest sum.
            const auto cost = std::make_tuple(n.depth, n.subtract ? 1 : 0, (u << (shiftUp ? a : 0)) + v);
            if (!best || cost < bestCost) {
                best = n;
                bestCost = cost;
            }
        };
        auto from = [&](std::int64_t u) {
            for (int a = 1; a <= shifts_; ++a) {
                const std::int64_t up = u << a;
                consider(u, a, t - up, true, true, false);   // t = (u << a) + v
                consider(u, a, up - t, true, true, true);    // t = (u << a) - v
                consider(u, a, t + up, true, false, true);   // t = v - (u << a)
                const std::int64_t scaled = t << a;
                consider(u, a, scaled - u, false, true, false);  // t = (u + v) >> a
                consider(u, a, u - scaled, false, true, true);   // t = (u - v) >> a
                consider(u, a, scaled + u, false, false, true);  // t = (v - u) >> a
            }
        };
        for (const GraphNode& n : graph_.nodes) from(n.value);
        if (extra) from(*extra);
        return best;
    }

    void Add(const GraphNode& n) {
        index_[n.value] = static_cast<int>(graph_.nodes.size());
        graph_.nodes.push_back(n);
    }

    // Builds every target one adder away, repeatedly; removes them from TARGETS.
    void BuildReachable(std::vector<std::int64_t>& targets) {
        for (bool progress = true; progress;) {
            progress = false;
            for (auto t = targets.begin(); t != targets.end();) {
                if (Has(*t)) {
                    t = targets.erase(t);  // built on the way to another
                    continue;
                }
                if (const std::optional<GraphNode> n = OneAdder(*t)) {
                    Add(*n);
                    t = targets.erase(t);
                    progress = true;
                } else {
                    ++t;
                }
            }
        }
    }

    // Every odd value one adder away that the graph does not hold.
    std::unordered_set<std::int64_t> Successors() const {
        std::unordered_set<std::int64_t> found;
        for (std::size_t i = 0; i < graph_.nodes.size(); ++i)
            for (std::size_t j = i; j < graph_.nodes.size(); ++j)
                ForEachJoin(graph_.nodes[i].value, graph_.nodes[j].value, [&](std::int64_t v) {
                    if (!Has(v)) found.insert(v);
                });
        return found;
    }

    // The successor that makes the most remaining targets one adder away, 0 when none does. A
    // target t is one adder from c and r exactly when c is one adder from t and r, so the
    // candidates are the joins of each target with each fundamental (and t's own divisors
    // 2^a +/- 1, for t built from c alone).
    std::int64_t BestSuccessor(const std::vector<std::int64_t>& targets) const {
        const std::unordered_set<std::int64_t> successors = Successors();
        std::unordered_map<std::int64_t, int> helped;
        for (const std::int64_t t : targets)
            for (const std::int64_t c : Helpers(t))
                if (successors.count(c) != 0) ++helped[c];
        return MostHelpful(helped);
    }

    // Successors worth trying next in a search: those that make a remaining target one adder
    // away, most such targets first, and with SPARE adders beyond one per target also the rest.
    std::vector<std::int64_t> RankedSuccessors(const std::vector<std::int64_t>& targets, int spare) const {
        const std::unordered_set<std::int64_t> successors = Successors();
        std::unordered_map<std::int64_t, int> helped;
        for (const std::int64_t t : targets)
            for (const std::int64_t c : Helpers(t))
                if (successors.count(c) != 0) ++helped[c];
        std::vector<std::pair<int, std::int64_t>> ranked;
        for (const std::int64_t c : successors) {
            const auto h = helped.find(c);
            const int count = h == helped.end() ? 0 : h->second;
            if (count > 0 || spare >= 2) ranked.emplace_back(-count, c);
        }
        std::sort(ranked.begin(), ranked.end());
        std::vector<std::int64_t> order;
        for (const auto& [count, c] : ranked) order.push_back(c);
        return order;
    }

    // For a target two fundamentals away at least: the successor from which the most values
    // that make TARGET one adder away are themselves one adder away; 0 when there is none.
    std::int64_t TowardsFarTarget(std::int64_t target) const {
        const std::unordered_set<std::int64_t> successors = Successors();
        std::unordered_map<std::int64_t, int> helped;
        for (const std::int64_t c : Helpers(target))
            for (const std::int64_t first : Helpers(c))
                if (successors.count(first) != 0) ++helped[first];
        return MostHelpful(helped);
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
    // The odd values C not in the graph such that T is one adder from C and a fundamental (or C
    // alone): T is one adder from C and R exactly when C is one adder from T and R.
    std::unordered_set<std::int64_t> Helpers(std::int64_t t) const {
        std::unordered_set<std::int64_t> helpers;
        auto keep = [&](std::int64_t c) {
            if (!Has(c)) helpers.insert(c);
        };
        for (const GraphNode& r : graph_.nodes) ForEachJoin(t, r.value, keep);
        for (int a = 1; a <= shifts_; ++a) {
            const std::int64_t plus = (static_cast<std::int64_t>(1) << a) + 1;
            const std::int64_t minus = plus - 2;
            if (t % plus == 0) keep(t / plus);
            if (minus > 1 && t % minus == 0) keep(t / minus);
        }
        return helpers;
    }

    static std::int64_t MostHelpful(const std::unordered_map<std::int64_t, int>& helped) {
        std::int64_t best = 0;
        int most = 0;
        for (const auto& [c, count] : helped)
            if (count > most || (count == most && c < best)) {
                most = count;
                best = c;
            }
        return best;
    }

    // Calls F with every odd value one adder makes of U and V, up to the limit.
    template <class F>
    void ForEachJoin(std::int64_t u, std::int64_t v, F f) const {
        auto keep = [&](std::int64_t w) {
            w = Odd(w);
            if (w > 1 && w <= limit_) f(w);
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

    int Index(std::int64_t v, std::optional<std::int64_t> extra) const {
        if (extra && v == *extra) return -1;
        return index_.at(v);
    }
    int Depth(int index) const { return index < 0 ? 1 : graph_.nodes[static_cast<std::size_t>(index)].depth; }

    int shifts_;
    std::int64_t limit_;
    AdderGraph graph_;
    std::unordered_map<std::int64_t, int> index_;
};

// Depth-first search for a graph of at most LIMIT adders, successors most helpful first, until
// BUDGET searches are spent.
std::optional<AdderGraph> Search(GraphBuilder builder, std::vector<std::int64_t> targets, int limit, int& budget) {
    builder.BuildReachable(targets);
    const int built = builder.Graph().Adders();
    if (targets.empty()) return built <= limit ? std::optional<AdderGraph>(builder.Graph()) : std::nullopt;
    const int spare = limit - built - static_cast<int>(targets.size());
    if (spare < 1 || --budget < 0) return std::nullopt;
    for (const std::int64_t c : builder.RankedSuccessors(targets, spare)) {
        GraphBuilder next = builder;
        next.Add(*next.OneAdder(c));
        if (std::optional<AdderGraph> found = Search(next, targets, limit, budget)) return found;
        if (budget < 0) break;
    }
    return std::nullopt;
}

// The greedy graph, each step the most helpful fundamental; FIRST, when not 0, built first.
AdderGraph Greedy(std::vector<std::int64_t> targets, const std::vector<std::int64_t>& first = {}) {
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
    return builder.Graph();
}

// The search for a graph one adder smaller than the best so far, for the few targets of a short
// core (where the greedy choice strays furthest from the bound): searches per attempt.
// Both searches are bounded so that a core of 16-bit coefficients is written in well under a
// second; they only ever improve on the greedy graph.
constexpr int kSearchBudget = 1500;
constexpr int kFirstFundamentalTries = 24;
constexpr std::size_t kSearchedTargets = 12;

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

AdderGraph BuildAdderGraph(const std::vector<std::int64_t>& constants) {
    const std::vector<std::int64_t> targets = OddTargets(constants);
    if (targets.empty()) {
        AdderGraph g;
        g.nodes.push_back(GraphNode{});
        return g;
    }
    AdderGraph best = Greedy(targets);
    if (targets.size() > kSearchedTargets) return best;
    const int bound = AdderLowerBound(constants);
    // A few targets: the greedy graph from every first fundamental, the smallest kept.
    GraphBuilder start(targets.back());
    std::vector<std::int64_t> remaining = targets;
    start.BuildReachable(remaining);
    const std::unordered_set<std::int64_t> firsts = remaining.empty() ? std::unordered_set<std::int64_t>{}
                                                                       : start.Successors();
    int tries = 0;
    for (const std::int64_t first : firsts) {
        if (best.Adders() == bound || ++tries > kFirstFundamentalTries) break;
        const AdderGraph g = Greedy(targets, {first});
        if (g.Adders() < best.Adders()) best = g;
    }
    while (best.Adders() > bound) {
        int budget = kSearchBudget;
        std::optional<AdderGraph> found = Search(GraphBuilder(targets.back()), targets, best.Adders() - 1, budget);
        if (!found) break;
        best = *found;
    }
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
