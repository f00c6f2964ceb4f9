## Generates the hdl matrix (designed cores through kelvodsp with -hdl verilog -project in one
## shell run, given coefficient sets through kw_write_core --verilog) and makes the MATLAB
## core the reference of every testbench: each core runs in this Octave process on its
## testbench's input vectors, its outputs must equal the bit-true model's vectors, and they
## replace them, so that the Verilog is then compared with the MATLAB core itself.

## -*- texinfo -*-
## @deftypefn {} {@var{nfail} =} run_hdl_matrix (@var{kelvodsp}, @var{write_core}, @var{dir})
## Build the matrix in the emptied directory @var{dir}; write @var{dir}/cores.txt, one core
## name per line.  Prints one line per core (MATLAB against the model) and a summary;
## returns the number of failures.
## @end deftypefn

function nfail = run_hdl_matrix (kelvodsp, write_core, dir)
  t0 = tic ();
  [cores, sets] = kw_hdl_matrix_plan ();
  if (exist (dir, "dir"))
    confirm_recursive_rmdir (false, "local");
    rmdir (dir, "s");
  endif
  mkdir (dir);
  generate_designed (cores, kelvodsp, dir);
  write_sets (sets, write_core, dir);
  names = [{cores.name} {sets.name}];
  nfail = 0;
  calls = 0;
  for k = 1:numel (names)
    [ok, n, msg] = matlab_reference (dir, names{k});
    calls += n;
    if (ok)
      printf ("PASS %-20s MATLAB core = bit-true model over %d calls\n", names{k}, n);
    else
      printf ("FAIL %-20s %s\n", names{k}, msg);
      nfail += 1;
    endif
    fflush (stdout);
  endfor
  fid = fopen (fullfile (dir, "cores.txt"), "w");
  fprintf (fid, "%s\n", names{:});
  fclose (fid);
  printf ("%d cores (%d designed, %d given sets), %d calls, %d failures, %.1f s\n", numel (names),
          numel (cores), numel (sets), calls, nfail, toc (t0));
endfunction

function generate_designed (cores, kelvodsp, dir)
  tcl = fullfile (dir, "generate.tcl");
  fid = fopen (tcl, "w");
  for e = cores
    fprintf (fid, "rcosflt %s -hdl verilog -project -nosubdir -name %s -outdir {%s}\n", e.switches,
             e.name, dir);
  endfor
  fclose (fid);
  if (system (sprintf ("cd '%s' && '%s' '%s' > generate.log 2>&1", dir, kelvodsp, tcl)) != 0)
    error ("run_hdl_matrix: kelvodsp failed, see %s", fullfile (dir, "generate.log"));
  endif
endfunction

function write_sets (sets, write_core, dir)
  for e = sets
    m = fullfile (dir, [e.name ".m"]);
    [st, out] = system (sprintf ("'%s' %s --out '%s' --verilog '%s' 2>&1", write_core, e.args, m,
                                 fullfile (dir, [e.name ".v"])));
    if (st != 0)
      error ("run_hdl_matrix: kw_write_core failed for %s: %s", e.name, out);
    endif
  endfor
endfunction

## Runs core NAME on its testbench's samples, compares with the model's outputs and writes
## the MATLAB core's outputs as the testbench's expected vectors. A polyphase core's samples are
## symbols: the MATLAB core is called r times per symbol, the symbol on the last call and random
## full-scale values on the others (which it must ignore), and symbol k's outputs are those of
## its call and the r - 1 calls after it.
function [ok, n, msg] = matlab_reference (dir, name)
  text = fileread (fullfile (dir, [name ".m"]));
  qin = kw_declared_format (text, "qin");
  qout = kw_declared_format (text, "qout");
  stimulus = read_hex (fullfile (dir, [name "_in.hex"]));
  model = signed_bits (read_hex (fullfile (dir, [name "_out.hex"])), qout(1));
  x = signed_bits (mod (stimulus, pow2 (qin(1))), qin(1)) * pow2 (-qin(2));
  r = polyphase_ratio (fullfile (dir, [name ".v"]));
  if (r > 1)
    calls = (floor (rand (r, numel (x) + 1) * pow2 (qin(1))) - pow2 (qin(1) - 1)) * pow2 (-qin(2));
    calls(r, 1:numel (x)) = x(:)';
    y = kw_run_core (dir, name, calls(:)') * pow2 (qout(2));
    y = y(r:end - 1)(:);
  else
    y = kw_run_core (dir, name, x) * pow2 (qout(2));
  endif
  n = numel (y);
  ok = false;
  if (any (y != round (y)))
    msg = "the MATLAB core's output is off the qout grid";
  elseif (numel (model) != n)
    msg = sprintf ("%d model outputs for %d calls", numel (model), n);
  elseif (any (y != model))
    k = find (y != model, 1);
    msg = sprintf ("call %d: MATLAB core %d, bit-true model %d", k, y(k), model(k));
  else
    ok = true;
    msg = "";
  endif
  fid = fopen (fullfile (dir, [name "_out.hex"]), "w");
  fprintf (fid, "%s\n", cellstr (dec2hex (mod (y, pow2 (qout(1))), ceil (qout(1) / 4))){:});
  fclose (fid);
endfunction

## r of a polyphase core's Verilog (its header's "Polyphase:  r = R" line), else 1.
function r = polyphase_ratio (file)
  r = 1;
  found = regexp (fileread (file), '// Polyphase: +r = (\d+)', "tokens", "once");
  if (! isempty (found))
    r = str2double (found{1});
  endif
endfunction

function v = read_hex (file)
  v = hex2dec (strsplit (strtrim (fileread (file)), "\n"));
endfunction

function v = signed_bits (u, bits)
  v = u - (u >= pow2 (bits - 1)) * pow2 (bits);
endfunction


