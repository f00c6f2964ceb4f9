## Two-term power-of-two form of an integer coefficient, as the multiplier-free cores
## use it: the value s1*2^d + s2*2^f closest to q/2^(B-1), searched in a fixed order.

## -*- texinfo -*-
## @deftypefn {} {@var{v} =} kw_pow2_pair (@var{q}, @var{B})
## Values (in coefficient units, i.e. divided by 2^(B-1)) of the two-term forms of the
## integers @var{q} for a B-bit coefficient.  Exponents run from B-1 down to 0
## (first term outer, second inner), first signs in the order -1, +1, 0; for each
## the candidates s1*2^n - 2^e, s1*2^n + 2^e and s1*2^n alone are tried.  A two-term
## candidate replaces the best one when strictly closer, or equally close with
## s1 = 0; a single term replaces it when at least as close.
## @end deftypefn

function v = kw_pow2_pair (q, B)
  v = zeros (size (q));
  for k = 1:numel (q)
    v(k) = closest (q(k), B) / pow2 (B - 1);
  endfor
endfunction

function val = closest (q, B)
  best = pow2 (B);
  val = 0;
  for n = B-1:-1:0
    for e = B-1:-1:0
      for s1 = [-1 1 0]
        for cand = s1 * pow2 (n) + [-1 1] * pow2 (e)
          err = abs (q - cand);
          if (err < best || (err == best && s1 == 0))
            best = err;
            val = cand;
          endif
        endfor
        cand = s1 * pow2 (n);
        if (abs (q - cand) <= best)
          best = abs (q - cand);
          val = cand;
        endif
      endfor
    endfor
  endfor
endfunction

## Exact forms, the nearest form of 11 found first in the search order, and zero.
%!assert (kw_pow2_pair ([3 7 5 -3 1 16 0 -128], 8) * 128, [3 7 5 -3 1 16 0 -128])
%!assert (kw_pow2_pair (11, 8) * 128, 12)
%!assert (kw_pow2_pair ([101 114], 10) * 512, [96 112])
