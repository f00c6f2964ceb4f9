// Bit-true simulation of a core model in exact integer arithmetic: one Step per call of the
// generated MATLAB core, with the core's own statement order, formats, floor and wrap (the output's own modes). Inputs are
// integers of the input format (value x*2^-in.fraction); outputs integers of the output format.
#pragma once

#include <cstdint>
#include <vector>

#include "fir/CoreModel.h"

namespace fir {

class CoreSimulator {
public:
    explicit CoreSimulator(const CoreModel& model);

    // One call of the core: the input sample (ignored on the calls where a zero-stuffing core
    // inserts a zero) and the output of that call.
    std::int64_t Step(std::int64_t input);
    std::vector<std::int64_t> Run(const std::vector<std::int64_t>& inputs);
    // Back to the state of a freshly loaded core.
    void Reset();

private:
    std::int64_t Call(std::int64_t x);
    template <typename T> std::int64_t Dispatch(std::int64_t x);
    template <typename T> std::int64_t DirectCall(std::int64_t x);
    template <typename T> std::int64_t TransposedCall(std::int64_t x);
    template <typename T> std::int64_t SharedTransposedCall(std::int64_t x);
    template <typename T> std::int64_t FoldedSharedTransposedCall(std::int64_t x);

    template <typename T> T Product(T x, std::int64_t coefficient) const;
    template <typename T> T PairProduct(std::int64_t a, std::int64_t b, std::int64_t coefficient) const;
    template <typename T> std::int64_t Keep(T value) const;
    std::int64_t ToOutput(std::int64_t sum) const;
    void BuildChain();
    bool SumsFitInt64() const;

    CoreModel m_model;
    // Coefficient integers at coef.fraction: the taps, or their two-term values, as each product
    // statement of the structure spells them.
    std::vector<std::int64_t> m_coef;
    std::int64_t m_middleCoef = 0;  // the shared direct folded form's middle tap, written apart
    int m_productShift = 0;           // bits a product drops to reach the product format
    bool m_pairPreQuantized = false;  // the pre-adder's sum goes through qmult first
    // Every product and partial sum fits 64 bits unwrapped: wrapping is a ring homomorphism, so the
    // sums are wrapped only where a non-linear step (a floor, a product) reads them.
    bool m_narrow = false;
    // The fully parallel transposed chain, step j updating place L - j*ch (the last step sets
    // place 1): its product's coefficient and a mask that negates the product (-1: the mirrored
    // half of a class -1 fold, 0: as it is).
    std::vector<std::int64_t> m_chainCoef;
    std::vector<std::int64_t> m_chainNegate;

    std::vector<std::int64_t> m_line;    // delay line (inputs, twice over, or partial sums)
    std::vector<std::int64_t> m_mirror;  // the folded shared transposed form's mirrored chain
    std::size_t m_head = 0;  // the delay line is a ring: place 1 is m_line[m_head]
    std::int64_t m_input = 0;   // the registered input of the transposed forms
    std::int64_t m_output = 0;  // the registered output (qout integer)
    int m_counter = 0;
};

}  // namespace fir
