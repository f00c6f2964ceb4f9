## The exact gate of a testbench run: every output the core gave must equal the output of
## the C++ bit-true simulator (rcosflt::Simulate) for the same inputs, the core rebuilt from
## what its file says about itself.

## -*- texinfo -*-
## @deftypefn  {} {@var{r} =} kw_exact_check (@var{core_file}, @var{x}, @var{y})
## @deftypefnx {} {@var{r} =} kw_exact_check (@var{core_file}, @var{x}, @var{y}, @var{kelvodsp})
## Compare the outputs @var{y} that the core in @var{core_file} gave for the inputs
## @var{x} (one per call, as the testbench passed them) with the simulator's.
##
## The core is rebuilt from its header's switches (the parameters' "value used"), its
## options line (@code{% options: -output_round ... -coef_scale max}) and its output
## quantizer's declared modes, and run by @code{rcosflt::Simulate} in the shell
## @var{kelvodsp} (default: the environment's @env{KW_KELVODSP}, which run_testbench sets to
## the shell beside it).  The simulator's outputs include the core's latency, so output
## k is compared with output k.
##
## Returns a struct: @code{pass}; @code{compared} (outputs compared: all of them, or up to
## the first that differs); @code{message}, which names the first differing output with
## both values, or says why the core cannot be rebuilt (no header, a quantizer the
## generator never writes, no shell, a refusal of the simulator).
## @end deftypefn

function r = kw_exact_check (core_file, x, y, kelvodsp = getenv ("KW_KELVODSP"))
  r = struct ("pass", false, "compared", 0, "message", "");
  p = kw_core_parameters (core_file);
  [args, why] = simulate_switches (p);
  if (isempty (why) && isempty (kelvodsp))
    why = "no kelvodsp beside the runner to rebuild it with (set KW_KELVODSP)";
  endif
  if (! isempty (why))
    r.message = ["the core cannot be rebuilt: " why];
    return;
  endif
  x = x(:).';
  y = y(:).';
  if (numel (x) != numel (y))
    r.message = sprintf ("%d inputs for %d outputs", numel (x), numel (y));
    return;
  endif
  [sim, why] = simulate (kelvodsp, args, x * pow2 (p.qin.format(2)));
  if (! isempty (why))
    r.message = ["the simulator refused the core: " why];
    return;
  endif
  got = y * pow2 (p.qout.format(2));
  if (numel (sim) != numel (got))
    r.message = sprintf ("the simulator gave %d outputs for %d inputs", numel (sim), numel (got));
    return;
  endif
  k = find (got != sim, 1);
  if (isempty (k))
    r.pass = true;
    r.compared = numel (got);
    return;
  endif
  r.compared = k;
  channels = str2double (p.values.number_of_channels);
  r.message = sprintf ("output %d of %d (channel %d) differs: core %.17g, simulator %.17g",
                       k, numel (got), mod (k - 1, channels) + 1, y(k), sim(k) * pow2 (-p.qout.format(2)));
endfunction

## The switches that rebuild the core, as one Tcl list, or why there are none.
function [args, why] = simulate_switches (p)
  args = "";
  why = "";
  names = fieldnames (p.values);
  if (! any (strcmp (names, "fs")))
    why = "its file has no header of switches (written with -nobanner?)";
    return;
  endif
  for name = {"qin", "qmult", "qcoef"}
    if (! isempty (setxor (p.(name{1}).words, {"fixed", "floor", "wrap"})))
      why = sprintf ("its quantizer %s is '%s', which no generated core declares", name{1},
                     strjoin (p.(name{1}).words, "', '"));
      return;
    endif
  endfor
  words = {};
  for k = 1:numel (names)
    words(end + (1:2)) = {["-" names{k}], p.values.(names{k})};
  endfor
  ## The options line, but for the output's modes, which its declaration states.
  for k = 1:2:numel (p.options) - 1
    if (! any (strcmp (p.options{k}, {"-output_round", "-output_overflow"})))
      words(end + (1:2)) = p.options(k:k + 1);
    endif
  endfor
  q = p.qout.words;
  if (numel (q) != 3 || ! strcmp (q{1}, "fixed"))
    why = sprintf ("its quantizer qout is '%s'", strjoin (q, "', '"));
    return;
  endif
  if (! strcmp (q{2}, "floor"))
    words(end + (1:2)) = {"-output_round", q{2}};
  endif
  if (! strcmp (q{3}, "wrap"))
    words(end + (1:2)) = {"-output_overflow", q{3}};
  endif
  if (any (cellfun (@(w) any (ismember (w, "{}\\\n")), words)))
    why = "a switch of its header holds a brace, a backslash or a line break";
    return;
  endif
  args = strjoin (strcat ("{", words, "}"), " ");
endfunction

## Runs rcosflt::Simulate in the shell; every path and value reaches it through files and
## the environment, never through a command line built here.
function [y, why] = simulate (kelvodsp, args, x)
  y = [];
  why = "";
  tmp = tempname ();
  files = struct ("tcl", [tmp ".tcl"], "in", [tmp ".in"], "out", [tmp ".out"], "err", [tmp ".err"]);
  unwind_protect
    write_text (files.tcl, ["set f [open $::env(KW_EXACT_IN)]; set args [gets $f]; set x [read $f]; close $f\n" ...
                            "set y [rcosflt::Simulate {*}$args -input $x]\n" ...
                            "set f [open $::env(KW_EXACT_OUT) w]; puts $f $y; close $f\n"]);
    write_text (files.in, [args "\n" sprintf("%d\n", x)]);
    setenv ("KW_EXACT_KELVODSP", kelvodsp);
    setenv ("KW_EXACT_TCL", files.tcl);
    setenv ("KW_EXACT_IN", files.in);
    setenv ("KW_EXACT_OUT", files.out);
    setenv ("KW_EXACT_ERR", files.err);
    status = system ('"$KW_EXACT_KELVODSP" "$KW_EXACT_TCL" > /dev/null 2> "$KW_EXACT_ERR"');
    if (status != 0)
      why = strtrim (strjoin (regexp (fileread (files.err), '(?m)^(?!Warning|Info).+$', "match"), " "));
      if (isempty (why))
        why = sprintf ("kelvodsp exited with status %d", status);
      endif
      return;
    endif
    y = sscanf (fileread (files.out), "%ld").';
  unwind_protect_cleanup
    for f = struct2cell (files).'
      if (exist (f{1}, "file"))
        delete (f{1});
      endif
    endfor
  end_unwind_protect
endfunction

function write_text (file, text)
  fid = fopen (file, "w");
  fputs (fid, text);
  fclose (fid);
endfunction

## Without a header there is nothing to rebuild the core from; a foreign qmult is refused.
%!test
%! f = [tempname() ".m"];
%! fid = fopen (f, "w");
%! fprintf (fid, "%s = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] );\n", "qin", "qout", "qmult", "qcoef");
%! fclose (fid);
%! r = kw_exact_check (f, 0, 0, "kelvodsp");
%! assert (r.message, "the core cannot be rebuilt: its file has no header of switches (written with -nobanner?)");
%! fid = fopen (f, "w");
%! fprintf (fid, "%%  %s: text\n%%\t\tvalue used \"%s\"\n", "fs", "2", "fd", "1");
%! fprintf (fid, "%s = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] );\n", "qin", "qout", "qcoef");
%! fprintf (fid, "qmult = quantizer( 'fixed', 'round', 'wrap', [ 16 14 ] );\n");
%! fclose (fid);
%! r = kw_exact_check (f, 0, 0, "kelvodsp");
%! delete (f);
%! assert (r.message, "the core cannot be rebuilt: its quantizer qmult is 'fixed', 'round', 'wrap', which no generated core declares");
