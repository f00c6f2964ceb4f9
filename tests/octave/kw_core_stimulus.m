## The stimulus a core of the matrix is proven with: a full-scale impulse on channel 1,
## silence long enough for the whole response, then uniformly random inputs over the
## whole input range from a fixed seed.

## -*- texinfo -*-
## @deftypefn {} {[@var{x}, @var{imp}] =} kw_core_stimulus (@var{e})
## Input values (multiples of 2^-ifbits) for the core described by the manifest entry
## @var{e} (fields N, ch, ratio, zerostuff, ibits, ifbits).  @var{imp} describes the
## leading impulse: @code{value}, @code{at} (the call that takes it) and @code{last}
## (the last call of the silence after it).  The same @var{e} always gives the same
## @var{x}.
## @end deftypefn

function [x, imp] = kw_core_stimulus (e)
  every = ifelse_ (e.zerostuff, e.ratio, 1);
  span = (e.ch * (e.N - 1) + 1) * every;
  lsb = pow2 (-e.ifbits);
  lo = -pow2 (e.ibits - 1);
  lead = [lo * lsb * ones(1, every), zeros(1, span + 4)];
  ## With zero-stuffing only call number "every" takes its sample.
  imp = struct ("value", lo * lsb, "at", every, "last", numel (lead));
  rand ("seed", 20240601);
  n = max (4 * span, 512);
  rnd = (lo + floor (rand (1, n) * pow2 (e.ibits))) * lsb;
  x = [lead rnd];
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction

## Every value is an input of the format, the range's ends included, and the impulse
## is where the description says.
%!test
%! e = struct ("N", 9, "ch", 2, "ratio", 4, "zerostuff", false, "ibits", 8, "ifbits", 7);
%! [x, imp] = kw_core_stimulus (e);
%! assert (all (x * 128 == round (x * 128)));
%! assert (min (x), -1);
%! assert (max (x) <= 127 / 128);
%! assert ([x(imp.at) x(imp.at + 1:imp.last)], [-1 zeros(1, imp.last - imp.at)]);
%! assert (isequal (x, kw_core_stimulus (e)));
