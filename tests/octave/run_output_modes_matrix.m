## Every rounding and overflow mode of the output on a core of every structure, and
## full-range coefficients, each generated core run in Octave and proven equal, call for
## call, to the bit-true simulator (rcosflt::Simulate) and to an oracle: Octave's own
## quantize with the same modes applied to the exact sum, which an exact twin of the core
## (the same switches, the output at qmult's fraction and wide enough) gives.

## -*- texinfo -*-
## @deftypefn {} {@var{nfail} =} run_output_modes_matrix (@var{kelvodsp}, @var{dir})
## The output drops 3 fraction bits, so an eighth of the sums are ties, and keeps one
## integer bit (values in [-1, 1)), so a block of full-scale samples matched to the taps'
## signs overflows; both must be hit by every mode across the matrix.  Full-range cores
## (-coef_scale max) must report a tap_error_max no larger than their unity twin's.
## Prints one line per core and the matrix sizes; returns the number of failures.
## @end deftypefn

function nfail = run_output_modes_matrix (kelvodsp, dir)
  t0 = tic ();
  rounds = {"floor", "round", "nearest", "convergent", "ceil", "fix"};
  overflows = {"wrap", "saturate"};
  configs = structures ();
  if (exist (dir, "dir"))
    confirm_recursive_rmdir (false, "local");
    rmdir (dir, "s");
  endif
  mkdir (dir);
  cases = {};
  for c = 1:numel (configs)
    for r = rounds
      for o = overflows
        cases{end + 1} = mode_case (configs(c), c, r{1}, o{1}, "unity");
      endfor
    endfor
    if (! configs(c).multfree)
      for r = {"floor", "convergent"}
        cases{end + 1} = mode_case (configs(c), c, r{1}, "saturate", "max");
      endfor
    endif
  endfor
  cases = [cases{:}];
  ## Run 1: every core and its exact twin.
  run_tcl (kelvodsp, dir, "generate", generate_tcl (cases, dir));
  ## The taps' signs, from each exact twin's response to one full-scale sample.
  inputs = struct ();
  sums = struct ();
  for k = 1:numel (cases)
    e = cases(k);
    if (! isfield (inputs, e.config))
      inputs.(e.config) = stimulus (dir, e);
    endif
    if (! isfield (sums, e.twin))
      sums.(e.twin) = kw_run_core (dir, e.twin, inputs.(e.config));
    endif
    fid = fopen (fullfile (dir, [e.name ".x"]), "w");
    fprintf (fid, "%d\n", inputs.(e.config) * pow2 (e.ifbits));
    fclose (fid);
  endfor
  ## Run 2: the simulator on every core's input, and the reports of the coefficient scales.
  run_tcl (kelvodsp, dir, "simulate", simulate_tcl (cases, dir));
  nfail = 0;
  hits = struct ();
  for k = 1:numel (cases)
    e = cases(k);
    x = inputs.(e.config);
    y = kw_run_core (dir, e.name, x);
    exact = sums.(e.twin);
    sim = str2num (fileread (fullfile (dir, [e.name ".y"])));
    q = quantizer ("fixed", e.round, e.overflow, [e.obits e.ofbits]);
    oracle = quantize (q, exact);
    scaled = exact * pow2 (e.ofbits);
    ties = nnz (scaled - floor (scaled) == 0.5);
    top = pow2 (e.obits - e.ofbits - 1);
    rounded = round_as (e.round, scaled) * pow2 (-e.ofbits);
    over = nnz (rounded >= top | rounded < -top);
    key = [e.round "_" e.overflow];
    hits.(key) = getfield_or (hits, key, [0 0]) + [ties over];
    why = "";
    if (numel (sim) != numel (y))
      why = sprintf ("the simulator gave %d outputs for %d inputs", numel (sim), numel (y));
    elseif (any (sim(:).' != y * pow2 (e.ofbits)))
      n = find (sim(:).' != y * pow2 (e.ofbits), 1);
      why = sprintf ("call %d: core %.17g, simulator %d", n, y(n) * pow2 (e.ofbits), sim(n));
    elseif (any (oracle != y))
      n = find (oracle != y, 1);
      why = sprintf ("call %d: core %.17g, quantize of the exact sum %.17g", n, y(n), oracle(n));
    elseif (! strcmp (declared_modes (dir, e.name), [e.round " " e.overflow]))
      why = ["qout declares " declared_modes(dir, e.name)];
    endif
    if (isempty (why) && strcmp (e.scale, "max"))
      why = compare_tap_errors (dir, e);
    endif
    if (isempty (why))
      printf ("PASS %-24s %d calls, %d ties, %d overflows\n", e.name, numel (x), ties, over);
    else
      printf ("FAIL %-24s %s\n", e.name, why);
      nfail += 1;
    endif
    fflush (stdout);
  endfor
  for f = fieldnames (hits).'
    if (any (hits.(f{1}) == 0))
      printf ("FAIL mode %s: %d ties, %d overflows over the matrix: both must be hit\n",
              f{1}, hits.(f{1}));
      nfail += 1;
    endif
  endfor
  printf ("%d cores (%d structures x %d rounding x %d overflow modes, %d full-range), %d failures, %.1f s\n",
          numel (cases), numel (configs), numel (rounds), numel (overflows),
          nnz (strcmp ({cases.scale}, "max")), nfail, toc (t0));
endfunction

## One core of every structure the generator writes for designed taps (the shared
## transposed form is folded for them): fully parallel direct and transposed, shared
## direct and transposed, multiplier-free, input at the symbol rate, two channels.
function c = structures ()
  base = struct ("config", "", "form", "Direct", "shared", "no", "multfree", false,
                 "zerostuff", false, "ch", 1, "type", "sqrt");
  c = repmat (base, 1, 7);
  [c.config] = deal ("dp", "tp", "ds", "ts", "mf", "zs", "ch2");
  [c([2 4]).form] = deal ("Transposed");
  [c([3 4]).shared] = deal ("yes");
  c(5).multfree = true;
  c(6).zerostuff = true;
  c(7).ch = 2;
  c(7).form = "Transposed";
  c(2).type = "normal";
endfunction

function e = mode_case (c, index, round_mode, overflow, scale)
  e = c;
  e.round = round_mode;
  e.overflow = overflow;
  e.scale = scale;
  e.name = sprintf ("m%s_%s_%s_%s", c.config, round_mode(1:3), overflow(1:3), scale);
  e.twin = sprintf ("exact_%s_%s", c.config, scale);  # one per structure and scale
  e.ibits = 8; e.ifbits = 7; e.cbits = 10;
  ## qmult's fraction: the input's and the coefficients' (raised by the full range's k).
  e.multfrac = e.ifbits + e.cbits - 1;
  e.ofbits = e.multfrac - 3;
  e.obits = e.ofbits + 1;
endfunction

function s = switches (e)
  s = sprintf (["-fs 4 -fd 1 -r_val 0.35 -delay 2 -type %s -fs_flag %s -ibits %d -ifbits %d " ...
                "-cbits %d -form %s -resource_shared %s -number_of_channels %d -no_mults %s"],
               e.type, ifelse_ (e.zerostuff, "no", "yes"), e.ibits, e.ifbits, e.cbits, e.form,
               e.shared, e.ch, ifelse_ (e.multfree, "yes", "no"));
  if (strcmp (e.scale, "max"))
    s = [s " -coef_scale max"];
  endif
endfunction

## The exact twin keeps every fraction bit of qmult (whatever k the full range adds, 8 more
## are plenty) and 24 integer bits.
function s = exact_switches (e)
  s = sprintf ("%s -obits 32 -ofbits %d", switches (e), e.multfrac + 8);
endfunction

function s = mode_switches (e)
  s = sprintf ("%s -obits %d -ofbits %d -output_round %s -output_overflow %s", switches (e),
               e.obits, e.ofbits, e.round, e.overflow);
endfunction

function t = generate_tcl (cases, dir)
  t = "";
  for e = cases
    t = [t sprintf("rcosflt %s -name %s -outdir {%s}\n", mode_switches (e), e.name, dir)];
  endfor
  [~, first] = unique ({cases.twin});
  for e = cases(first)
    t = [t sprintf("rcosflt %s -name %s -outdir {%s}\n", exact_switches (e), e.twin, dir)];
  endfor
endfunction

function t = simulate_tcl (cases, dir)
  t = "";
  for e = cases
    t = [t sprintf("set f [open {%s/%s.x}]; set x [read $f]; close $f\n", dir, e.name)];
    t = [t sprintf("set f [open {%s/%s.y} w]; puts $f [rcosflt::Simulate %s -input $x]; close $f\n",
                   dir, e.name, mode_switches (e))];
    t = [t sprintf("set f [open {%s/%s.tap_error} w]; puts $f [dict get [rcosflt::Report %s] tap_error_max]; close $f\n",
                   dir, e.name, switches (e))];
    unity = strrep (switches (e), " -coef_scale max", "");
    t = [t sprintf("set f [open {%s/%s.tap_error_unity} w]; puts $f [dict get [rcosflt::Report %s] tap_error_max]; close $f\n",
                   dir, e.name, unity)];
  endfor
endfunction

function run_tcl (kelvodsp, dir, tag, text)
  tcl = fullfile (dir, [tag ".tcl"]);
  fid = fopen (tcl, "w");
  fputs (fid, text);
  fclose (fid);
  if (system (sprintf ("'%s' '%s' > '%s' 2>&1", kelvodsp, tcl, fullfile (dir, [tag ".log"]))) != 0)
    error ("run_output_modes_matrix: kelvodsp failed, see %s", fullfile (dir, [tag ".log"]));
  endif
endfunction

## Full-scale random samples, then, for each sign, a block of full-scale samples matched to
## the taps' signs (the exact twin's response to a single full-scale sample gives them), and
## small samples in between; with the input at the symbol rate every call carries a sample.
function x = stimulus (dir, e)
  rand ("seed", 21);
  span = (4 * 2 + 1) * e.ch * 4;
  impulse = [-1 zeros(1, span)];
  h = -kw_run_core (dir, e.twin, impulse);
  s = sign (h(find (h != 0, 1):end));
  s = s(end:-1:1);
  full = 1 - pow2 (-e.ifbits);
  noise = floor ((rand (1, 200) * 2 - 1) * pow2 (e.ifbits)) / pow2 (e.ifbits);
  small = round ((rand (1, 120) * 2 - 1) * 8) / pow2 (e.ifbits);
  up = full * (s > 0) - (s < 0);
  down = full * (s < 0) - (s > 0);
  x = [noise, up, zeros(1, span), down, zeros(1, span), small];
endfunction

function v = round_as (mode, v)
  switch (mode)
    case "floor"      v = floor (v);
    case "ceil"       v = ceil (v);
    case "fix"        v = fix (v);
    case "round"      v = round (v);
    case "nearest"    v = floor (v + 0.5);
    case "convergent" v = round (v) - (abs (v - fix (v)) == 0.5 & mod (round (v), 2) != 0) .* sign (v);
  endswitch
endfunction

function t = declared_modes (dir, name)
  p = kw_core_parameters (fullfile (dir, [name ".m"]));
  t = strjoin (p.qout.words(2:3), " ");
endfunction

function why = compare_tap_errors (dir, e)
  why = "";
  full = str2double (fileread (fullfile (dir, [e.name ".tap_error"])));
  unity = str2double (fileread (fullfile (dir, [e.name ".tap_error_unity"])));
  if (! (full <= unity))
    why = sprintf ("tap_error_max %g with -coef_scale max, %g with unity", full, unity);
  endif
endfunction

function v = getfield_or (s, key, default)
  v = default;
  if (isfield (s, key))
    v = s.(key);
  endif
endfunction

function v = ifelse_ (c, a, b)
  if (c) v = a; else v = b; endif
endfunction
