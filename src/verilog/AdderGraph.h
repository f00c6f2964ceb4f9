// Products of one operand by many constants from shifts, adds and subtracts: a multiple constant
// multiplication adder graph over the constants' distinct odd magnitudes (the signs and the
// powers of two are wiring, folded into whatever consumes the product), and the canonical
// signed digit form for a product by one constant alone.
#pragma once

#include <cstdint>
#include <vector>

namespace fir::vlog {

// One adder of the graph: value = ((nodes[left] << leftShift) +/- (nodes[right] << rightShift))
// >> downShift, exact, every value positive and odd. Node 0 is the operand itself (value 1).
struct GraphNode {
    std::int64_t value = 1;
    int left = 0;
    int right = 0;
    int leftShift = 0;
    int rightShift = 0;
    bool subtract = false;
    int downShift = 0;
    int depth = 0;  // adders on the longest path from the operand
};

struct AdderGraph {
    std::vector<GraphNode> nodes;  // topological order, nodes[0] the operand

    int Adders() const { return static_cast<int>(nodes.size()) - 1; }
    int Depth() const;
    // The node of an odd value, or -1.
    int NodeOf(std::int64_t odd) const;
};

// The work that went into a graph, every attempt together: it grows with the search's bounds,
// not with the machine, so it can be held to a budget where a wall-clock time cannot.
struct GraphSearchEffort {
    long fundamentalsPlaced = 0;  // adders put into candidate graphs
    long graphsExpanded = 0;      // candidate graphs the bounded search grew further
    long valuesLookedUp = 0;      // values sought in the graphs and in the search's tables
};

// The graph that reaches the odd part of every non-zero constant's magnitude; EFFORT, when
// given, receives what building it took.
AdderGraph BuildAdderGraph(const std::vector<std::int64_t>& constants, GraphSearchEffort* effort = nullptr);

// Adders no graph over these constants can do without: n + ceil(log2 s) - 1, n the distinct odd
// magnitudes above 1, s the least canonical signed digit weight among them (0 when n is 0).
int AdderLowerBound(const std::vector<std::int64_t>& constants);

// Non-zero digits of the canonical signed digit form of |value|.
int CsdWeight(std::int64_t value);

// The canonical signed digit form of value: digit d_k in {-1, 0, 1} at shift k, non-zero digits
// only, lowest shift first; the digits of a negative value are those of its magnitude negated.
struct SignedDigit {
    int sign = 0;
    int shift = 0;
};
std::vector<SignedDigit> CsdDigits(std::int64_t value);

}  // namespace fir::vlog
