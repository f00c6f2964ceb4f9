## Fixed-point quantization of an array with a quantizer from quantizer(), as MATLAB's
## quantize does for 'fixed' and 'ufixed'.  This .m file is the portable fallback; the
## oct-file built from __kw_quantize__.cc (see kw_build_oct) shadows it for speed.

## -*- texinfo -*-
## @deftypefn {} {@var{y} =} quantize (@var{q}, @var{x})
## Quantize @var{x} elementwise with the fixed-point quantizer @var{q}.
##
## Each value is scaled by 2^F, rounded to an integer by @code{q.roundmode}
## (floor, ceil, fix, round: ties away from zero, nearest: ties toward +Inf,
## convergent: ties to even), brought into the range of a W-bit signed
## (@qcode{"fixed"}) or unsigned (@qcode{"ufixed"}) integer by
## @code{q.overflowmode} (wrap: two's complement modulo 2^W; saturate: clamp),
## and scaled back.  The result is a double array of the size of @var{x}; it is
## exact for every double input, since all steps are exact for W <= 53.
## NaN stays NaN; no overflow warnings are issued.
##
## When the oct-file version is on the path before this file, Octave calls that
## instead; it computes the same values.  Build it with @code{octave/kw_build_oct DIR}
## and put DIR first on the path.
## @end deftypefn

function y = quantize (q, x)
  if (nargin != 2)
    print_usage ();
  endif
  f = q.format;
  s = pow2 (f(2));
  v = double (x) * s;
  switch (q.roundmode)
    case "floor"
      v = floor (v);
    case "ceil"
      v = ceil (v);
    case "fix"
      v = fix (v);
    case "round"
      v = round (v);
    case "nearest"
      ## floor(v + 0.5) would round v + 0.5 itself; the split is exact.
      fl = floor (v);
      v = fl + (v - fl >= 0.5);
    case "convergent"
      fl = floor (v);
      r = v - fl;
      v = fl + (r > 0.5 | (r == 0.5 & rem (fl, 2) != 0));
    otherwise
      error ("quantize: unknown rounding mode '%s'", q.roundmode);
  endswitch
  m = pow2 (f(1));
  if (strcmp (q.mode, "fixed"))
    half = m / 2;
    lo = -half;
    hi = half - 1;
  else
    half = m;
    lo = 0;
    hi = m - 1;
  endif
  if (any (v(:) < lo | v(:) > hi))
    if (strcmp (q.overflowmode, "wrap"))
      ## mod by a power of two is exact; shift the upper half down for signed words.
      v = mod (v, m);
      v(v >= half) -= m;
    else
      v = min (max (v, lo), hi);
    endif
  endif
  y = v / s;
endfunction

## The worked example's coefficients and products: exact values stay.
%!assert (quantize (quantizer ("fixed", "floor", "wrap", [8 7]), 0.2734375), 0.2734375)
%!assert (quantize (quantizer ("fixed", "floor", "wrap", [16 14]), 0.453125 * -0.5), -0.2265625)

## Rounding modes on ties and near-ties, in units of the LSB (format [8 0]).
%!test
%! x = [-2.5 -1.5 -0.5 0.5 1.5 2.5 -0.7 0.3 0.49999999999999994 -0.49999999999999994];
%! want = struct ( ...
%!   "floor",      [-3 -2 -1  0  1  2 -1  0  0 -1], ...
%!   "ceil",       [-2 -1  0  1  2  3  0  1  1  0], ...
%!   "fix",        [-2 -1  0  0  1  2  0  0  0  0], ...
%!   "round",      [-3 -2 -1  1  2  3 -1  0  0  0], ...
%!   "nearest",    [-2 -1  0  1  2  3 -1  0  0  0], ...
%!   "convergent", [-2 -2  0  0  2  2 -1  0  0  0]);
%! for m = fieldnames (want).'
%!   got = quantize (quantizer ("fixed", m{1}, "wrap", [8 0]), x);
%!   assert (isequal (got, want.(m{1})), ["rounding mode " m{1} " gives " mat2str(got)]);
%! endfor

## Fraction bits: ties of the last kept bit.
%!assert (quantize (quantizer ("fixed", "convergent", "wrap", [8 2]), [0.125 0.375 -0.125]), [0 0.5 0])
%!assert (quantize (quantizer ("fixed", "nearest", "wrap", [8 2]), [-0.125 -0.375]), [0 -0.25])

## Overflow: two's complement wrap and saturation, signed and unsigned.
%!test
%! x = [-1.25 -1 0.99 1 1.5 3.75 -3];
%! assert (quantize (quantizer ("fixed", "floor", "wrap", [3 1]), x), [-1.5 -1 0.5 1 1.5 -0.5 1]);
%! assert (quantize (quantizer ("fixed", "floor", "saturate", [3 1]), x), [-1.5 -1 0.5 1 1.5 1.5 -2]);
%! assert (quantize (quantizer ("ufixed", "floor", "wrap", [2 0]), [0 1 2 3 4 5 -1]), [0 1 2 3 0 1 3]);
%! assert (quantize (quantizer ("ufixed", "floor", "saturate", [2 0]), [-1 0 3 4 7]), [0 0 3 3 3]);

## The counter of a zero-stuffed core wraps at the ratio's power of two.
%!test
%! q = quantizer ("ufixed", "floor", "wrap", [3 0]);
%! c = 0;
%! for k = 1:8
%!   c = quantize (q, c + 1);
%! endfor
%! assert (c, 0);

## 53-bit words and negative fraction lengths stay exact.
%!test
%! q = quantizer ("fixed", "floor", "wrap", [53 0]);
%! assert (quantize (q, [2^52-1 2^52 -2^52 -2^52-2 2^60+5]), [2^52-1 -2^52 -2^52 2^52-2 0]);
%! assert (quantize (quantizer ("fixed", "round", "wrap", [8 -2]), [5 6 -6 511]), [4 8 -8 -512]);
%! assert (quantize (quantizer ("ufixed", "fix", "wrap", [52 0]), 2^52 + 3), 3);

## Shape is kept and NaN passes through.
%!assert (size (quantize (quantizer ("fixed", "floor", "wrap", [8 7]), zeros (3, 2, 2))), [3 2 2])
%!assert (quantize (quantizer ("fixed", "floor", "wrap", [8 7]), [NaN 0.5]), [NaN 0.5])
%!assert (quantize (quantizer ("fixed", "floor", "wrap", [8 7]), []), [])

%!error quantize (quantizer ())
%!error <unknown rounding mode> quantize (setfield (quantizer (), "roundmode", "up"), 1)
