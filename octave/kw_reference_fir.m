## Exact fixed-point model of a KelvoWare raised-cosine core, written from the filter's
## definition rather than from any core text: interleaved channels, zero-stuffing, exact
## products and sums wrapped to the product format, output floored and wrapped.

## -*- texinfo -*-
## @deftypefn {} {[@var{y}, @var{wrapped}] =} kw_reference_fir (@var{x}, @var{c}, @var{p})
## Expected output of a core for the inputs @var{x}, one per call of the core.
##
## @var{x}: input samples as passed to the core, already on the input grid.
## @var{c}: the tap values (exact doubles: q/2^(cbits-1), or s1*2^d+s2*2^f for
## multiplier-free cores), tap 0 first.
## @var{p}: struct with fields @code{ch} (interleaved channels: call k belongs to
## channel mod(k-1,ch) and a channel's taps are ch calls apart), @code{ratio} and
## @code{zerostuff} (when true only calls ratio, 2*ratio, ... take their sample and
## the others feed zero), @code{mult} = [Wm Fm] and @code{out} = [Wo Fo].
##
## The sum of the exact products is wrapped to Wm bits at resolution 2^-Fm (when it
## lies on that grid this equals summing wrapped products in any order), then floored
## to 2^-Fo and wrapped to Wo bits.  Off the grid (truncating cores) the result is the
## exact filter's, which the core approaches within kw_trunc_bound.
##
## @var{wrapped} marks the outputs whose value did not fit the product or the output
## format and wrapped around (a core whose formats are too narrow for its filter).
## @end deftypefn

function [y, wrapped] = kw_reference_fir (x, c, p)
  x = x(:).';
  c = c(:).';
  n = numel (x);
  if (p.zerostuff)
    taken = mod (1:n, p.ratio) == 0;
    x(! taken) = 0;
  endif
  ## Double sums are exact while every partial sum fits 53 bits at the finest grid.
  gx = finest_grid (x);
  gc = finest_grid (c);
  if (max (abs (x)) * sum (abs (c)) / (gx * gc) >= 2^53)
    error ("kw_reference_fir: sums would not be exact in double precision");
  endif
  taps = zeros (1, p.ch * (numel (c) - 1) + 1);
  taps(1:p.ch:end) = c;
  s = filter (taps, 1, x);
  s = s * pow2 (p.mult(2));
  w = wrap_fraction (s, p.mult(1));
  [y, out_wrapped] = to_output (w, p.mult(2), p.out);
  wrapped = out_wrapped | (w != s);
endfunction

function g = finest_grid (v)
  v = v(v != 0);
  if (isempty (v))
    g = 1;
    return;
  endif
  [~, e] = log2 (v);
  ## v = m * 2^e with 53 mantissa bits at most: the grid is 2^(e-53) or coarser.
  g = pow2 (min (e) - 53);
  for k = 1:53
    if (all (rem (v / (2 * g), 1) == 0))
      g *= 2;
    else
      break;
    endif
  endfor
endfunction

## Wraps v (in LSBs, possibly fractional) into the signed range of w bits.
function v = wrap_fraction (v, w)
  m = pow2 (w);
  v = v - m * floor ((v + m / 2) / m);
endfunction

function [y, wrapped] = to_output (v, fm, out)
  v = floor (v * pow2 (out(2) - fm));
  m = pow2 (out(1));
  wrapped = v < -m / 2 | v >= m / 2;
  v = mod (v, m);
  v(v >= m / 2) -= m;
  y = v / pow2 (out(2));
endfunction

## One channel, no truncation: the plain convolution, with a zero coefficient.
%!test
%! p = struct ("ch", 1, "ratio", 2, "zerostuff", false, "mult", [16 14], "out", [16 14]);
%! c = [0 35 58 35 0] / 128;
%! x = [1 0 0 0 0 0 -0.5 0.25] ;
%! assert (kw_reference_fir (x, c, p), conv (x, c)(1:8));

## Interleaved channels: channel 1's impulse response appears on every second call.
%!test
%! p = struct ("ch", 2, "ratio", 2, "zerostuff", false, "mult", [16 14], "out", [16 14]);
%! y = kw_reference_fir ([0 0.5 0 0 0 0 0 0], [1 2 3] / 8, p);
%! assert (y, [0 1 0 2 0 3 0 0] / 16);

## Zero-stuffing: only calls ratio, 2*ratio, ... take their sample.
%!test
%! p = struct ("ch", 1, "ratio", 3, "zerostuff", true, "mult", [16 14], "out", [16 14]);
%! y = kw_reference_fir ([0.5 0.5 0.5 0.25 0.25 0.25 0], [1 1] / 4, p);
%! assert (y, [0 0 0.125 0.125 0 0.0625 0.0625]);

## Wrap in the product format, then floor and wrap to the output format.
%!test
%! p = struct ("ch", 1, "ratio", 2, "zerostuff", false, "mult", [4 2], "out", [3 1]);
%! y = kw_reference_fir ([0.75 0.75 -1 0.25], [1 1 0.25], p);
%! ## exact sums 0.75 1.5 -0.0625 -0.5625 fit [4 2] (no wrap);
%! ## floored to halves: 0.5 1.5 -0.5 -1, all within [3 1] (-2..1.5).
%! assert (y, [0.5 1.5 -0.5 -1]);
%! p.mult = [3 2];
%! ## [3 2] holds -1..0.75: 1.5 wraps to -0.5.
%! [y, wrapped] = kw_reference_fir ([0.75 0.75], [1 1], p);
%! assert (y, [0.5 -0.5]);
%! assert (wrapped, [false true]);

%!error <not be exact> kw_reference_fir ([1 2^-40], [1 2^-30], struct ("ch", 1, "ratio", 2, "zerostuff", false, "mult", [16 14], "out", [16 14]))
