## The input that drives a core's sums to their extremes: every sample at full scale
## with the sign of the tap it meets, for any channel count and input rate.

## -*- texinfo -*-
## @deftypefn {} {@var{x} =} kw_worst_case_input (@var{e})
## Input values for the core of manifest entry @var{e} (fields ch, ratio, zerostuff,
## ibits, ifbits, coefs): the signs of the taps in reverse order at full scale (largest
## positive input for a positive tap, most negative for a negative one, 0 for a zero
## tap), silence, the same negated, silence.  Each channel takes the same sequence
## (every value repeated for the @code{ch} interleaved calls).  A zero-stuffing core
## meets one phase of its taps per input sample: the sequence follows the phase with
## the largest absolute sum, each value held for the @code{ratio} calls of its symbol.
## @end deftypefn

function x = kw_worst_case_input (e)
  lsb = pow2 (-e.ifbits);
  hi = (pow2 (e.ibits - 1) - 1) * lsb;
  lo = -pow2 (e.ibits - 1) * lsb;
  every = 1;
  c = e.coefs;
  if (e.zerostuff)
    every = e.ratio;
    sums = arrayfun (@(p) sum (abs (c(p:every:end))), 1:every);
    [~, p] = max (sums);
    c = c(p:every:end);
  endif
  s = sign (fliplr (c));
  worst = hi * (s > 0) + lo * (s < 0);
  best = lo * (s > 0) + hi * (s < 0);
  quiet = zeros (1, numel (c));
  x = kron ([worst quiet best quiet], ones (1, e.ch * every));
endfunction

## One channel at the sample rate: the reversed signs at full scale; two channels
## repeat each value; zero-stuffing follows the heaviest phase and holds each value.
%!test
%! e = struct ("ch", 1, "ratio", 2, "zerostuff", false, "ibits", 4, "ifbits", 3,
%!             "coefs", [0.25 -0.5 0 0.125]);
%! assert (kw_worst_case_input (e), [7 0 -8 7 0 0 0 0 -8 0 7 -8 0 0 0 0] / 8);
%! e.ch = 2;
%! assert (kw_worst_case_input (e)(1:6), [7 7 0 0 -8 -8] / 8);
%! e.ch = 1;
%! e.zerostuff = true;
%! assert (kw_worst_case_input (e)(1:4), [7 7 -8 -8] / 8);
%! assert (numel (kw_worst_case_input (e)), 16);
