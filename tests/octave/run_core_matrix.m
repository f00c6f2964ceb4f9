## Checks every core listed in a manifest against the exact reference filter and prints
## one PASS/FAIL line per core.  Called by run_core_matrix.sh.

## -*- texinfo -*-
## @deftypefn {} {@var{nfail} =} run_core_matrix (@var{manifest})
## Run kw_check_core on each entry of @var{manifest} (cores live beside it) and
## print @code{PASS name latency=L maxdiff=D bound=B impulse=K (T s)} or
## @code{FAIL name: reason}, then a summary.  Returns the number of failures; an
## entry that raises an error counts as a failure.
## @end deftypefn

function nfail = run_core_matrix (manifest)
  dir = fileparts (make_absolute_filename (manifest));
  entries = kw_read_manifest (manifest);
  nfail = 0;
  for k = 1:numel (entries)
    e = entries(k);
    t0 = tic ();
    try
      r = kw_check_core (dir, e);
    catch err
      r = struct ("pass", false, "message", err.message);
    end_try_catch
    if (r.pass)
      printf ("PASS %s latency=%d maxdiff=%g bound=%g impulse=%s (%.1f s)\n",
              e.name, r.latency, r.maxdiff, r.bound, r.impulse, toc (t0));
    else
      printf ("FAIL %s: %s\n", e.name, r.message);
      nfail += 1;
    endif
    fflush (stdout);
  endfor
  printf ("%d of %d cores passed\n", numel (entries) - nfail, numel (entries));
endfunction
