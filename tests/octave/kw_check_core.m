## Proves one generated core bit-true: runs it on an impulse followed by reproducible
## random input and compares its output with kw_reference_fir after the core's own
## latency (exactly without truncation, within kw_trunc_bound with it).

## -*- texinfo -*-
## @deftypefn {} {@var{r} =} kw_check_core (@var{dir}, @var{e})
## Check the core @code{@var{e}.name} in directory @var{dir}.
##
## @var{e} is one manifest entry (see kw_read_manifest): the core's parameters and
## its coefficients @code{e.coefs}.  The core's quantizer declarations (qin, qout,
## qmult, qcoef) must agree with the parameters: input and coefficient formats as
## given, product fraction length ifbits+cbits-1-trunc (at least 0) and a product
## word length of at least cbits+ibits-trunc, output format as given unless auto.
## The reference then uses the declared product and output formats.
##
## Returns a struct: @code{pass}, @code{latency} (calls by which the core's output
## trails the reference), @code{maxdiff}, @code{bound} (0 without truncation) and
## @code{message}.
## @end deftypefn

function r = kw_check_core (dir, e)
  r = struct ("pass", false, "latency", NaN, "maxdiff", NaN, "bound", 0, "message", "");
  file = fullfile (dir, [e.name ".m"]);
  if (! exist (file, "file"))
    r.message = ["core file missing: " file];
    return;
  endif
  q = declared_formats (fileread (file));
  [ok, r.message] = formats_agree (q, e);
  if (! ok)
    return;
  endif
  if (numel (e.coefs) != e.N)
    r.message = sprintf ("%d coefficients given for %d taps", numel (e.coefs), e.N);
    return;
  endif

  x = stimulus (e);
  y = run_core (dir, e.name, x);
  p = struct ("ch", e.ch, "ratio", e.ratio, "zerostuff", e.zerostuff,
              "mult", q.qmult, "out", q.qout);
  ref = kw_reference_fir (x, e.coefs, p);
  if (e.trunc > 0)
    r.bound = kw_trunc_bound (2 * e.N, q.qmult(2), q.qout(2));
  endif
  [r.latency, r.maxdiff] = align (y, ref);
  r.pass = r.maxdiff <= r.bound && all (y(1:r.latency) == 0);
  if (! r.pass)
    r.message = sprintf ("output differs from the reference by %g (allowed %g)",
                         r.maxdiff, r.bound);
  endif
endfunction

## Formats of the four declared quantizers, read from the core's text.
function q = declared_formats (text)
  q = struct ();
  tok = regexp (text, '(?m)^\s*(qin|qout|qmult|qcoef)\s*=\s*quantizer\s*\(([^;]*)\)\s*;',
                "tokens");
  for k = 1:numel (tok)
    args = eval (["{" tok{k}{2} "}"]);
    qq = quantizer (args{:});
    q.(tok{k}{1}) = qq.format;
  endfor
endfunction

function [ok, msg] = formats_agree (q, e)
  ok = false;
  msg = "";
  for name = {"qin", "qout", "qmult", "qcoef"}
    if (! isfield (q, name{1}))
      msg = ["no declaration of " name{1}];
      return;
    endif
  endfor
  fm = max (e.ifbits + e.cbits - 1 - e.trunc, 0);
  in_ok = isequal(q.qin, [e.ibits e.ifbits]);
  coef_ok = isequal(q.qcoef, [e.cbits e.cbits-1]);
  mult_ok = q.qmult(2) == fm && q.qmult(1) >= e.cbits + e.ibits - e.trunc;
  out_ok = (isnan(e.obits) || q.qout(1) == e.obits) && (isnan(e.ofbits) || q.qout(2) == e.ofbits);
  checks = {in_ok, "qin"; coef_ok, "qcoef"; mult_ok, "qmult"; out_ok, "qout"};
  for k = 1:rows (checks)
    if (! checks{k, 1})
      msg = sprintf ("declared %s = [%d %d] does not match the parameters",
                     checks{k, 2}, q.(checks{k, 2}));
      return;
    endif
  endfor
  ok = true;
endfunction

## A full-scale impulse (the most negative input, exact in every format), silence long
## enough for the whole response, then uniformly random inputs over the input range
## from a fixed seed.
function x = stimulus (e)
  every = ifelse_ (e.zerostuff, e.ratio, 1);
  span = (e.ch * (e.N - 1) + 1) * every;
  lsb = pow2 (-e.ifbits);
  lo = -pow2 (e.ibits - 1);
  imp = [lo * lsb * ones(1, every), zeros(1, span + 4)];
  rand ("seed", 20240601);
  n = max (4 * span, 512);
  rnd = (lo + floor (rand (1, n) * pow2 (e.ibits))) * lsb;
  x = [imp rnd];
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction

function y = run_core (dir, name, x)
  back = pwd ();
  cd (dir);
  unwind_protect
    clear (name);            # fresh persistent state
    f = str2func (name);
    y = zeros (size (x));
    for k = 1:numel (x)
      y(k) = f (x(k));
    endfor
  unwind_protect_cleanup
    clear (name);
    cd (back);
  end_unwind_protect
endfunction

## The latency (0..4 calls) at which the core's output best matches the reference.
function [lat, best] = align (y, ref)
  best = Inf;
  lat = 0;
  for d = 0:4
    err = max (abs (y(1 + d:end) - ref(1:end - d)));
    if (err < best)
      best = err;
      lat = d;
    endif
  endfor
endfunction

%!shared dir, e
%! dir = fullfile (fileparts (which ("kw_read_manifest")), "fixtures");
%! e = kw_read_manifest (fullfile (dir, "manifest.txt"));

## Every hand-written structure passes, each with its own latency.
%!test
%! lat = struct ("fx_direct5", 1, "fx_transp9c2", 3, "fx_shared_mf_zs", 1);
%! for k = 1:numel (e)
%!   r = kw_check_core (dir, e(k));
%!   assert (r.pass, [e(k).name ": " r.message]);
%!   assert (r.latency, lat.(e(k).name));
%! endfor

## A coefficient off by one LSB, a wrong channel count or a wrong declared format fails.
%!test
%! bad = e(1);
%! bad.coefs(2) += 1 / 128;
%! r = kw_check_core (dir, bad);
%! assert (! r.pass);
%! assert (r.maxdiff, 2^-7);   # the full-scale impulse times one LSB of the coefficient
%! bad = e(2);
%! bad.ch = 1;
%! assert (! kw_check_core (dir, bad).pass);
%! bad = e(1);
%! bad.ibits = 9;
%! r = kw_check_core (dir, bad);
%! assert (r.message, "declared qin = [8 7] does not match the parameters");

## With truncation a bound applies; a core declaring the truncated product format
## fails when the parameters say there is no truncation.
%!test
%! r = kw_check_core (dir, e(3));
%! assert (r.bound, 18 * 2^-13 + 2^-13);
%! assert (r.maxdiff <= r.bound);
%! strict = e(3);
%! strict.trunc = 0;
%! assert (! kw_check_core (dir, strict).pass);
