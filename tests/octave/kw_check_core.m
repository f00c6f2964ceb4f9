## Proves one generated core bit-true: runs it on an impulse followed by reproducible
## random input (kw_core_stimulus) and compares its output with kw_reference_fir after
## the core's own latency (exactly without truncation, within kw_trunc_bound with it).

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
## The stimulus starts with a full-scale impulse on channel 1: the core's response to
## it, read at the calls where channel 1's taps appear, must be the tap values times
## the impulse, floored and wrapped to the output format (within one product floor
## with truncation), and zero everywhere else in the response window.
## @code{impulse} says "exact" when that response, divided by the impulse, is the
## tap values themselves (the output format holds them), else "output-rounded".
##
## Differences are taken modulo the smaller of the product and output ranges, since
## both the core and the reference wrap there.
##
## Returns a struct: @code{pass}, @code{latency} (calls by which the core's output
## trails the reference), @code{maxdiff}, @code{bound} (0 without truncation),
## @code{impulse}, @code{message}, @code{y}, the core's outputs for the stimulus of
## kw_core_stimulus, and @code{qout}, the declared output format [W F].
## @end deftypefn

function r = kw_check_core (dir, e)
  r = struct ("pass", false, "latency", NaN, "maxdiff", NaN, "bound", 0, "impulse", "",
              "message", "", "y", [], "qout", []);
  file = fullfile (dir, [e.name ".m"]);
  if (! exist (file, "file"))
    r.message = ["core file missing: " file];
    return;
  endif
  q = declared_formats (fileread (file));
  r.qout = getfield_or (q, "qout");
  [ok, r.message] = formats_agree (q, e);
  if (! ok)
    return;
  endif
  if (numel (e.coefs) != e.N)
    r.message = sprintf ("%d coefficients given for %d taps", numel (e.coefs), e.N);
    return;
  endif

  [x, imp] = kw_core_stimulus (e);
  y = kw_run_core (dir, e.name, x);
  r.y = y;
  p = struct ("ch", e.ch, "ratio", e.ratio, "zerostuff", e.zerostuff,
              "mult", q.qmult, "out", q.qout);
  ref = kw_reference_fir (x, e.coefs, p);
  ## One floored product per tap reaches each output; all sums are exact.
  if (e.trunc > 0)
    r.bound = kw_trunc_bound (e.N, q.qmult(2), q.qout(2));
  endif
  modulus = min (pow2 (q.qmult(1) - q.qmult(2)), pow2 (q.qout(1) - q.qout(2)));
  [r.latency, r.maxdiff] = align (y, ref, modulus);
  r.pass = r.maxdiff <= r.bound && all (y(1:r.latency) == 0);
  if (! r.pass)
    r.message = sprintf ("output differs from the reference by %g (allowed %g)",
                         r.maxdiff, r.bound);
    return;
  endif
  one_floor = ifelse_ (e.trunc > 0, kw_trunc_bound (1, q.qmult(2), q.qout(2)), 0);
  [r.impulse, r.message] = impulse_response_check (y, imp, e, q.qout, r.latency,
                                                   modulus, one_floor);
  r.pass = isempty (r.message);
endfunction

## The response to the leading impulse: tap k of channel 1 appears at call
## imp.at + latency + k*ch (a zero-stuffing core runs at the output rate, so its taps
## follow each other on consecutive calls too).
function [kind, msg] = impulse_response_check (y, imp, e, out, lat, modulus, tol)
  kind = "";
  msg = "";
  at = imp.at + lat + (0:e.N - 1) * e.ch;
  window = y(lat + 1:imp.last + lat);
  got = y(at);
  want = floor (imp.value * e.coefs * pow2 (out(2))) / pow2 (out(2));
  err = max (abs (mod (got - want + modulus / 2, modulus) - modulus / 2));
  window(at - lat) = 0;
  if (err > tol)
    msg = sprintf ("impulse response differs from the taps by %g (allowed %g)", err, tol);
  elseif (any (window != 0))
    msg = "impulse response has values off the taps of channel 1";
  elseif (isequal (got / imp.value, e.coefs))
    kind = "exact";
  else
    kind = "output-rounded";
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

function v = getfield_or (s, key)
  v = [];
  if (isfield (s, key))
    v = s.(key);
  endif
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction


## The latency (0..4 calls) at which the core's output best matches the reference.
function [lat, best] = align (y, ref, modulus)
  best = Inf;
  lat = 0;
  for d = 0:4
    diff = y(1 + d:end) - ref(1:end - d);
    err = max (abs (mod (diff + modulus / 2, modulus) - modulus / 2));
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
%!   assert (r.impulse, "exact");
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
%! assert (r.bound, 9 * 2^-13 + 2^-13);
%! assert (r.maxdiff <= r.bound);
%! strict = e(3);
%! strict.trunc = 0;
%! assert (! kw_check_core (dir, strict).pass);
