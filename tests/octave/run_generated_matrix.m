## Generates the cores of kw_core_matrix_plan (designed ones through kelvodsp in one
## shell run, given coefficient sets through kw_write_core), checks the refusals, and
## proves every core bit-true with kw_check_core, all in this one Octave process; then
## proves the bit-true simulator equal to every core, sample for sample.

## -*- texinfo -*-
## @deftypefn {} {@var{nfail} =} run_generated_matrix (@var{kelvodsp}, @var{write_core}, @var{dir})
## Build and check the generated-core matrix in the (emptied) directory @var{dir}.
##
## Designed cores are generated with @code{-project} so that each testbench script's
## doubleCoefs give the reference's coefficients (manifest source @code{script});
## given sets are passed to @var{write_core} and the reference uses the same
## integers, and each set's core must be folded or unfolded as the set says.
## @var{dir}/manifest.txt lists every generated core, so that
## run_core_matrix.sh can re-check them.  Prints one line per case (PASS, FAIL with
## the given and applied taps of a failing set, REFUSED, SKIP), the latency of each
## structure and a summary.  The cores marked @code{worst} also take their worst-case input
## (kw_check_worst_case).
##
## The simulator: every designed core's switches go to @code{rcosflt::Simulate} with the
## random stimulus of kw_core_stimulus (in the run that generates the cores) and with the
## worst-case input of kw_worst_case_input (in a second kelvodsp run, once the taps are
## known); every given set goes to @code{kw_write_core --simulate} with both.  Each
## simulated output must equal the core's output times 2^F (F the declared output
## fraction) at every call; a refused case must be refused by Simulate with the same
## text.  Returns the number of failures.
## @end deftypefn

function nfail = run_generated_matrix (kelvodsp, write_core, dir)
  t0 = tic ();
  [cores, refusals, sets] = kw_core_matrix_plan ();
  if (exist (dir, "dir"))
    confirm_recursive_rmdir (false, "local");
    rmdir (dir, "s");
  endif
  mkdir (dir);
  designed = [orderfields(cores) orderfields(rmfield (refusals, "message"))];
  write_inputs (dir, designed, arrayfun (@kw_core_stimulus, designed, "UniformOutput", false), "x1");
  write_inputs (dir, sets, arrayfun (@kw_core_stimulus, sets, "UniformOutput", false), "x1");
  status = generate_designed (designed, kelvodsp, dir);
  nfail = check_refusals (refusals, status);
  sets = write_sets (sets, write_core, dir);
  write_manifest (fullfile (dir, "manifest.txt"), cores, sets);
  entries = kw_read_manifest (fullfile (dir, "manifest.txt"));
  simulate_worst_case (dir, entries, cores, kelvodsp, write_core);
  simulated = struct ("cases", 0, "samples", 0);
  plan = [rmfield(cores, setdiff (fieldnames (cores), common_fields ())) ...
          rmfield(sets, setdiff (fieldnames (sets), common_fields ()))];
  latencies = struct ();
  for k = 1:numel (entries)
    e = entries(k);
    if (k <= numel (cores) && ! strcmp (status.(e.name), "OK"))
      printf ("FAIL %s: generation failed: %s\n", e.name, status.(e.name));
      nfail += 1;
      continue;
    endif
    t1 = tic ();
    try
      r = kw_check_core (dir, e);
    catch err
      r = struct ("pass", false, "message", err.message, "latency", NaN);
    end_try_catch
    tag = plan(k).structure;
    is_set = k > numel (cores);
    if (r.pass && is_set)
      given = sets(k - numel (cores));
      if (is_folded (fileread (fullfile (dir, [e.name ".m"])), tag, e.N) != given.folded)
        r = struct ("pass", false, "message",
                    ifelse_ (given.folded, "written unfolded, expected folded",
                             "written folded, expected unfolded"));
      endif
    endif
    if (r.pass)
      printf ("PASS %-20s %s latency=%d maxdiff=%g bound=%g impulse=%s (%.1f s)\n",
              e.name, tag, r.latency, r.maxdiff, r.bound, r.impulse, toc (t1));
      key = sprintf ("%s_ch%d", tag, e.ch);
      if (is_set)
        given = sets(k - numel (cores));
        key = strrep (sprintf ("%s_class%d%s_ch%d", tag, given.symmetry,
                               ifelse_ (given.symmetry == -1 && ! given.folded, "_unfolded", ""),
                               e.ch), "-", "minus");
      endif
      latencies.(key) = unique ([getfield_or(latencies, key), r.latency]);
    else
      printf ("FAIL %-20s %s: %s\n", e.name, tag, r.message);
      nfail += 1;
      if (is_set)
        report_taps (dir, e, sets(k - numel (cores)).q);
      endif
    endif
    if (k <= numel (cores) && cores(k).worst)
      nfail += worst_case (dir, e, tag);
    endif
    if (r.pass)
      [bad, n] = simulator_equals_core (dir, e, r);
      nfail += bad;
      simulated.cases += ! bad;
      simulated.samples += n;
    endif
    fflush (stdout);
  endfor
  printf ("SKIP shared transposed unfolded form (class 0) with several channels: its text reads 'ii--1', which Octave does not parse\n");
  for f = fieldnames (latencies).'
    printf ("latency %s: %s\n", f{1}, mat2str (latencies.(f{1})));
  endfor
  printf ("simulator = core: %d cores, %d samples\n", simulated.cases, simulated.samples);
  printf ("%d cores, %d refusals, %d failures, %.1f s\n", numel (entries), numel (refusals),
          nfail, toc (t0));
endfunction

function nfail = worst_case (dir, e, tag)
  r = kw_check_worst_case (dir, e);
  nfail = ! r.pass;
  if (r.pass)
    printf ("PASS %-20s %s worst-case input: exact, peak output %g, qmult %s, sum|c| %g\n",
            e.name, tag, r.peak, mat2str (r.qmult), sum (abs (e.coefs)));
  else
    printf ("FAIL %-20s %s worst-case input: %s\n", e.name, tag, r.message);
  endif
endfunction

function f = common_fields ()
  f = {"name", "structure"};
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

## One kelvodsp run for all designed cases; each command's outcome (OK or the error
## text) is written to a status file, since a failing command would end the script.
function status = generate_designed (cases, kelvodsp, dir)
  tcl = fullfile (dir, "generate.tcl");
  statusfile = fullfile (dir, "status.txt");
  fid = fopen (tcl, "w");
  fprintf (fid, "set out [open {%s} w]\n", statusfile);
  fputs (fid, simulate_proc ());
  for e = cases
    fprintf (fid, "if {[catch {rcosflt %s -project -nosubdir -name %s -outdir {%s}} msg]} {\n",
             switches (e), e.name, dir);
    fprintf (fid, "  puts $out \"%s [string map {\\n { | }} $msg]\"\n} else {\n", e.name);
    fprintf (fid, "  puts $out \"%s OK\"\n}\n", e.name);
    fprintf (fid, "simulate $out %s {%s} x1 %s\n", e.name, dir, switches (e));
  endfor
  fprintf (fid, "close $out\n");
  fclose (fid);
  cmd = sprintf ("cd '%s' && '%s' '%s' > generate.log 2>&1", dir, kelvodsp, tcl);
  if (system (cmd) != 0)
    error ("run_generated_matrix: kelvodsp failed, see %s", fullfile (dir, "generate.log"));
  endif
  status = struct ();
  for line = strsplit (strtrim (fileread (statusfile)), "\n")
    [name, rest] = strtok (line{1});
    status.(name) = strtrim (rest);
  endfor
endfunction

## A Tcl procedure that runs rcosflt::Simulate on DIR/NAME.X (input integers) into
## DIR/NAME.X.out and records its outcome as "NAME_sim OK" or "NAME_sim <error text>".
function t = simulate_proc ()
  t = ["proc simulate {out name dir in args} {\n" ...
       "  if {[catch {\n" ...
       "    set f [open [file join $dir $name.$in]]; set x [read $f]; close $f\n" ...
       "    set y [rcosflt::Simulate {*}$args -input $x]\n" ...
       "    set f [open [file join $dir $name.$in.out] w]; puts $f $y; close $f\n" ...
       "  } msg]} {\n" ...
       "    puts $out \"${name}_sim [string map {\\n { | }} $msg]\"\n" ...
       "  } else {\n" ...
       "    puts $out \"${name}_sim OK\"\n" ...
       "  }\n" ...
       "}\n"];
endfunction

## Input integers (value * 2^ifbits) of each case, one file DIR/NAME.TAG per case.
function write_inputs (dir, cases, inputs, tag)
  for k = 1:numel (cases)
    fid = fopen (fullfile (dir, [cases(k).name "." tag]), "w");
    fprintf (fid, "%d\n", round (inputs{k} * pow2 (cases(k).ifbits)));
    fclose (fid);
  endfor
endfunction

## The worst-case inputs need the taps: a second kelvodsp run simulates the designed
## cores, kw_write_core --simulate the given sets.
function simulate_worst_case (dir, entries, cores, kelvodsp, write_core)
  write_inputs (dir, entries, arrayfun (@kw_worst_case_input, entries, "UniformOutput", false), "x2");
  tcl = fullfile (dir, "simulate.tcl");
  fid = fopen (tcl, "w");
  fprintf (fid, "set out [open {%s} w]\n", fullfile (dir, "simulate_status.txt"));
  fputs (fid, simulate_proc ());
  for k = 1:numel (cores)
    fprintf (fid, "simulate $out %s {%s} x2 %s\n", cores(k).name, dir, switches (cores(k)));
  endfor
  fprintf (fid, "close $out\n");
  fclose (fid);
  if (system (sprintf ("cd '%s' && '%s' '%s' > simulate.log 2>&1", dir, kelvodsp, tcl)) != 0)
    error ("run_generated_matrix: kelvodsp failed, see %s", fullfile (dir, "simulate.log"));
  endif
  for e = entries(numel (cores) + 1:end)
    base = fullfile (dir, e.name);
    [st, out] = system (sprintf ("'%s' %s --out '%s.scratch.m' --simulate '%s.x2' '%s.x2.out' 2>&1",
                                 write_core, fileread ([base ".args"]), base, base, base));
    if (st != 0)
      error ("run_generated_matrix: kw_write_core --simulate failed for %s: %s", e.name, out);
    endif
  endfor
endfunction

## The simulator's outputs for the random stimulus (r.y, from kw_check_core) and for the
## worst-case input equal the core's outputs, read as integers of the declared output
## format, at every call.  Returns whether it failed and the samples compared.
function [bad, n] = simulator_equals_core (dir, e, r)
  scale = pow2 (r.qout(2));
  y2 = kw_run_core (dir, e.name, kw_worst_case_input (e));
  runs = {"x1", r.y * scale; "x2", y2 * scale};
  n = 0;
  msg = "";
  for k = 1:rows (runs)
    file = fullfile (dir, [e.name "." runs{k, 1} ".out"]);
    z = [];
    if (exist (file, "file"))
      z = sscanf (fileread (file), "%f").';
    endif
    want = runs{k, 2};
    if (! isequal (z, want))
      at = find (z(1:min (end, numel (want))) != want(1:min (end, numel (z))), 1);
      msg = sprintf ("%s: %d outputs for %d calls, first difference at call %s", runs{k, 1},
                     numel (z), numel (want), mat2str (at));
      break;
    endif
    n += numel (want);
  endfor
  bad = ! isempty (msg);
  if (bad)
    printf ("FAIL %-20s simulator differs from the core (%s)\n", e.name, msg);
  endif
endfunction


function s = switches (e)
  form = ifelse_ (any (strcmp (e.structure, {"TP", "TS"})), "Transposed", "Direct");
  shared = ifelse_ (any (strcmp (e.structure, {"DS", "TS"})), "yes", "no");
  s = sprintf (["-fs %g -fd %g -r_val %g -type %s -fs_flag %s -delay %d -ibits %d " ...
                "-ifbits %d -cbits %d -trunc %d -form %s -resource_shared %s " ...
                "-number_of_channels %d -obits %s -ofbits %s -no_mults %s"],
               e.ratio * e.fd, e.fd, e.R, e.type, ifelse_ (e.zerostuff, "no", "yes"),
               e.delay, e.ibits, e.ifbits, e.cbits, e.trunc, form, shared, e.ch,
               width_text (e.obits), width_text (e.ofbits), ifelse_ (e.multfree, "yes", "no"));
endfunction

function t = width_text (v)
  if (isnan (v))
    t = "auto";
  else
    t = sprintf ("%d", v);
  endif
endfunction

function nfail = check_refusals (refusals, status)
  nfail = 0;
  for e = refusals
    got = status.(e.name);
    simulated = status.([e.name "_sim"]);
    if (strcmp (got, "OK") || isempty (strfind (got, e.message)))
      printf ("FAIL %-20s expected the refusal \"%s\", got: %s\n", e.name, e.message, got);
      nfail += 1;
    elseif (! strcmp (simulated, got))
      printf ("FAIL %-20s rcosflt::Simulate refused otherwise: %s\n", e.name, simulated);
      nfail += 1;
    else
      printf ("REFUSED %-17s %s\n", e.name, e.message);
    endif
  endfor
endfunction

function sets = write_sets (sets, write_core, dir)
  for k = 1:numel (sets)
    e = sets(k);
    qfile = fullfile (dir, [e.name ".q"]);
    fid = fopen (qfile, "w");
    fprintf (fid, "%d\n", e.q);
    fclose (fid);
    args = sprintf ("--name %s --q %s --cbits %d --channels %d --form %s --ratio %d --ibits %d --ifbits %d --trunc %d --out '%s'",
                    e.name, strjoin (arrayfun (@(v) sprintf ("%d", v), e.q, "UniformOutput", false), ","),
                    e.cbits, e.ch, ifelse_ (any (strcmp (e.structure, {"TP", "TS"})), "transposed", "direct"),
                    e.ratio, e.ibits, e.ifbits, e.trunc, fullfile (dir, [e.name ".m"]));
    if (any (strcmp (e.structure, {"DS", "TS"})))
      args = [args " --shared"];
    endif
    if (e.multfree)
      args = [args " --multfree"];
    endif
    if (e.zerostuff)
      args = [args " --zero-stuffing"];
    endif
    fid = fopen (fullfile (dir, [e.name ".args"]), "w");
    fputs (fid, regexprep (args, " --out '[^']*'", ""));
    fclose (fid);
    base = fullfile (dir, e.name);
    args = sprintf ("%s --simulate '%s.x1' '%s.x1.out'", args, base, base);
    [st, out] = system (sprintf ("'%s' %s 2>&1", write_core, args));
    if (st != 0)
      error ("run_generated_matrix: kw_write_core failed for %s: %s", e.name, out);
    endif
  endfor
endfunction

function write_manifest (file, cores, sets)
  fid = fopen (file, "w");
  fprintf (fid, "# name N ch ratio zerostuff trunc ibits ifbits cbits obits ofbits multfree coefs\n");
  for e = cores
    manifest_line (fid, e, "script");
  endfor
  for e = sets
    manifest_line (fid, e, ["q:" e.name ".q"]);
  endfor
  fclose (fid);
endfunction

function manifest_line (fid, e, coefs)
  yn = {"no", "yes"};
  fprintf (fid, "%s %d %d %d %s %d %d %d %d %s %s %s %s\n", e.name, e.N, e.ch, e.ratio,
           yn{e.zerostuff + 1}, e.trunc, e.ibits, e.ifbits, e.cbits, width_text (e.obits),
           width_text (e.ofbits), yn{e.multfree + 1}, coefs);
endfunction

## Whether a core's text shares one product between the taps of each mirror pair:
## the direct forms join the pair's samples before the product, the fully parallel
## transposed form writes fewer products than taps, the shared transposed form keeps
## the two partial-sum chains.
function f = is_folded (text, structure, N)
  switch (structure)
    case {"DP", "DS"}
      f = ! isempty (regexp (text, 'DelayLine\([^()]*\)\s*[-+]\s*DelayLine\(', "once"));
    case "TP"
      f = numel (regexp (text, '(?m)^\s*MultVec_\d+\s*=', "match")) < N;
    case "TS"
      f = ! isempty (strfind (text, "DelayLine_s"));
  endswitch
endfunction

## For a failing set: the taps the core actually applies (its response to a
## full-scale impulse, in coefficient LSBs) beside the given ones.
function report_taps (dir, e, q)
  v = -pow2 (e.ibits - 1 - e.ifbits);
  every = ifelse_ (e.zerostuff, e.ratio, 1);
  x = [v * ones(1, every) zeros(1, (e.N + 6) * e.ch)];
  back = pwd ();
  cd (dir);
  unwind_protect
    clear (e.name);
    f = str2func (e.name);
    y = arrayfun (f, x);
    clear (e.name);
  unwind_protect_cleanup
    cd (back);
  end_unwind_protect
  taps = y(every:end) / v * pow2 (e.cbits - 1);
  first = find (taps != 0, 1);
  if (isempty (first))
    first = 1;
  endif
  printf ("   given taps:   %s\n   applied taps: %s\n", mat2str (q),
          mat2str (taps(first:e.ch:min (end, first + e.ch * (e.N - 1)))));
endfunction
