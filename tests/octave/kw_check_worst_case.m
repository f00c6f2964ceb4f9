## Drives a one-channel core with its worst-case input (every sample at full scale with
## the sign of the tap it meets) and checks that the output is the exact filter's,
## floored to the output format, with nothing wrapped on the way.

## -*- texinfo -*-
## @deftypefn {} {@var{r} =} kw_check_worst_case (@var{dir}, @var{e})
## Check core @code{@var{e}.name} in @var{dir} (@var{e} a manifest entry, one
## channel, input at the output rate) with the largest sums its taps can produce.
##
## The input (kw_worst_case_input) is the tap signs in reverse order at full scale
## (largest positive and most negative input), then silence, then the same negated,
## then silence; so the exact sum reaches +/- sum(|c|) times full scale.  The expected output is that
## exact convolution floored to the declared output format; it must fit that format
## (else the check itself is void and fails).  Returns @code{pass}, @code{latency},
## @code{peak} (largest |expected| output), @code{qmult} (declared [W F]) and
## @code{message}.
## @end deftypefn

function r = kw_check_worst_case (dir, e)
  r = struct ("pass", false, "latency", NaN, "peak", NaN, "qmult", [], "message", "");
  text = fileread (fullfile (dir, [e.name ".m"]));
  qout = kw_declared_format (text, "qout");
  r.qmult = kw_declared_format (text, "qmult");
  x = kw_worst_case_input (e);
  exact = filter (e.coefs, 1, x);
  want = floor (exact * pow2 (qout(2))) / pow2 (qout(2));
  r.peak = max (abs (want));
  range = pow2 (qout(1) - qout(2) - 1);
  if (any (want >= range | want < -range))
    r.message = sprintf ("the output format [%d %d] cannot hold %g", qout, r.peak);
    return;
  endif
  y = kw_run_core (dir, e.name, x);
  for d = 0:4
    if (isequal (y(1 + d:end), want(1:end - d)))
      r.latency = d;
      r.pass = true;
      return;
    endif
  endfor
  [~, at] = max (abs (want));
  r.message = sprintf ("output differs from the exact filter (e.g. %g expected near call %d, core gives %s)",
                       want(at), at, mat2str (y(at:min (end, at + 3))));
endfunction



## The hand-written direct core of the fixtures holds its worst case; with its
## product format narrowed to [14 14] (values -0.5 to 0.5) the full-scale sum wraps
## and the check fails.
%!test
%! dir = fullfile (fileparts (which ("kw_read_manifest")), "fixtures");
%! e = kw_read_manifest (fullfile (dir, "manifest.txt"))(1);
%! r = kw_check_worst_case (dir, e);
%! assert (r.pass, r.message);
%! assert (r.peak, 128 / 128);
%! tmp = tempname ();
%! mkdir (tmp);
%! unwind_protect
%!   text = strrep (fileread (fullfile (dir, "fx_direct5.m")), "qmult = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] )",
%!                  "qmult = quantizer( 'fixed', 'floor', 'wrap', [ 14 14 ] )");
%!   fid = fopen (fullfile (tmp, "fx_direct5.m"), "w");
%!   fputs (fid, text);
%!   fclose (fid);
%!   r = kw_check_worst_case (tmp, e);
%!   assert (! r.pass);
%!   assert (r.qmult, [14 14]);
%! unwind_protect_cleanup
%!   confirm_recursive_rmdir (false, "local");
%!   rmdir (tmp, "s");
%! end_unwind_protect
