## The exact gate of a testbench run: every output the core gave must equal the output of
## the bit-true model (the exact fixed-point reference filter, kw_reference_fir) for the
## same inputs, from the first call on.

## -*- texinfo -*-
## @deftypefn {} {@var{r} =} kw_exact_check (@var{core_file}, @var{x}, @var{y}, @var{h})
## Compare the outputs @var{y} that the core in @var{core_file} gave for the inputs
## @var{x} (one per call, as the testbench passed them) with the bit-true model.
##
## The taps are the testbench's double coefficients @var{h} quantized as the generator
## does (floor (h*2^(cbits-1) + 0.5)), in their two-term power-of-two form for a
## multiplier-free core; channels, input rate and formats come from the core's header
## and quantizer declarations (kw_core_parameters).  The core's output trails the
## model's by its latency, 0 to 4 calls, with zeros before.
##
## Returns a struct: @code{pass}; @code{compared} (outputs compared, all of them);
## @code{latency}; @code{wrapped} (outputs where the model's value did not fit the
## product or output format); @code{message}, which names the first differing output
## or says why the core has no bit-true model here (products truncated, a rounding or
## overflow mode other than floor and wrap, no header).
## @end deftypefn

function r = kw_exact_check (core_file, x, y, h)
  r = struct ("pass", false, "compared", 0, "latency", NaN, "wrapped", 0, "message", "");
  p = kw_core_parameters (core_file);
  [model_p, taps, why] = model_of (p, h);
  if (! isempty (why))
    r.message = ["no bit-true model for this core: " why];
    return;
  endif
  x = x(:).';
  y = y(:).';
  if (numel (x) != numel (y))
    r.message = sprintf ("%d inputs for %d outputs", numel (x), numel (y));
    return;
  endif
  try
    [model, wrapped] = kw_reference_fir (x, taps, model_p);
  catch err
    r.message = ["no bit-true model for this core: " err.message];
    return;
  end_try_catch
  r.wrapped = nnz (wrapped);
  ## The latency whose first difference comes latest explains the most outputs.
  first = zeros (1, 5);
  for d = 0:4
    want = [zeros(1, d) model(1:end - d)];
    k = find (y != want, 1);
    if (isempty (k))
      r.pass = true;
      r.compared = numel (y);
      r.latency = d;
      return;
    endif
    first(d + 1) = k;
  endfor
  [k, i] = max (first);
  r.latency = i - 1;
  want = [zeros(1, r.latency) model(1:end - r.latency)];
  r.compared = k;
  r.message = sprintf ("output %d of %d (channel %d) differs: core %.17g, model %.17g (latency %d)",
                       k, numel (y), mod (k - 1, model_p.ch) + 1, y(k), want(k), r.latency);
endfunction

## The model's parameters and taps, or the reason why the exact filter is not bit-true
## for this core.
function [m, taps, why] = model_of (p, h)
  m = struct ();
  taps = [];
  why = "";
  need = {"fs", "fd", "fs_flag", "cbits", "trunc", "number_of_channels", "no_mults"};
  missing = need(! isfield (p.values, need));
  if (! isempty (missing))
    why = sprintf ("its header does not give %s (written without the banner?)",
                   strjoin (missing, ", "));
    return;
  endif
  v = p.values;
  if (str2double (v.trunc) != 0)
    why = sprintf ("it truncates %s bits of every product (-trunc)", v.trunc);
    return;
  endif
  for name = {"qin", "qout", "qmult", "qcoef"}
    if (! isempty (setxor (p.(name{1}).words, {"fixed", "floor", "wrap"})))
      why = sprintf ("its quantizer %s is '%s', not 'fixed', 'floor', 'wrap'", name{1},
                     strjoin (p.(name{1}).words, "', '"));
      return;
    endif
  endfor
  cbits = str2double (v.cbits);
  q = floor (h(:).' * pow2 (cbits - 1) + 0.5);
  if (strncmp (v.no_mults, "y", 1))
    taps = kw_pow2_pair (q, cbits);
  else
    taps = q / pow2 (cbits - 1);
  endif
  m = struct ("ch", str2double (v.number_of_channels),
              "ratio", round (str2double (v.fs) / str2double (v.fd)),
              "zerostuff", strncmp (v.fs_flag, "n", 1),
              "mult", p.qmult.format, "out", p.qout.format);
endfunction

## A 5-tap core's header and formats; its outputs trail the model by one call.
%!test
%! f = [tempname() ".m"];
%! fid = fopen (f, "w");
%! fprintf (fid, "%%  %s: text\n%%\t\tvalue used \"%s\"\n", {"fs", "2"; "fd", "1"; "fs_flag", "yes";
%!          "cbits", "8"; "trunc", "0"; "number_of_channels", "1"; "no_mults", "no"}.'{:});
%! fprintf (fid, "%s = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] );\n", "qin", "qout", "qmult", "qcoef");
%! fclose (fid);
%! h = [0 35 58 35 0] / 128;
%! x = [1 0 0 0 0 0 -0.5 0.25];
%! y = [0 conv(x, h)(1:7)];
%! r = kw_exact_check (f, x, y, h + 2^-10);   # the taps are h rounded to 8 bits
%! assert ([r.pass r.latency r.compared], [true 1 8]);
%! y(6) += 2^-14;
%! r = kw_exact_check (f, x, y, h);
%! delete (f);
%! assert (r.message, "output 6 of 8 (channel 1) differs: core 6.103515625e-05, model 0 (latency 1)");
