## Runs a generated KelvoWare testbench script headless and reports on it: saves figure 1
## (spectra) and figure 2 (normalised error) as PNG files beside the script, prints the
## mean and max error, and returns false when the script raised an error.

## -*- texinfo -*-
## @deftypefn {} {@var{ok} =} kw_run_testbench (@var{script})
## Run the testbench @var{script} (a path to a .m script) in its own directory.
##
## Loads the signal package (for @code{xcorr}), makes new figures invisible, runs
## the script, then writes @file{<script>_fig1.png} and @file{<script>_fig2.png}
## for the figures that exist and prints @code{mean error: X dB} and
## @code{max error: Y dB} when the script left a @code{vecerror}.  An error of the
## script is printed to stderr and gives @var{ok} = false; figures drawn before it
## are still saved.  The caller's directory is restored.
## @end deftypefn

function kw__ok = kw_run_testbench (kw__script)
  ## Every local carries the kw__ prefix: the script runs in this function's workspace.
  kw__script = make_absolute_filename (kw__script);
  if (! exist (kw__script, "file"))
    error ("kw_run_testbench: no such script: %s", kw__script);
  endif
  [kw__dir, kw__name] = fileparts (kw__script);
  pkg load signal
  set (0, "defaultfigurevisible", "off");
  kw__back = pwd ();
  cd (kw__dir);
  kw__ok = true;
  try
    run (kw__script);
  catch kw__err
    kw__ok = false;
    fprintf (stderr, "testbench %s failed: %s\n", kw__name, kw__err.message);
  end_try_catch
  cd (kw__dir);
  for kw__fig = 1:2
    if (ishghandle (kw__fig))
      kw__png = fullfile (kw__dir, sprintf ("%s_fig%d.png", kw__name, kw__fig));
      print (kw__fig, kw__png, kw__png_device ());
      printf ("figure %d: %s\n", kw__fig, kw__png);
    endif
  endfor
  if (exist ("vecerror", "var"))
    printf ("mean error: %.2f dB\n", 20 * log10 (mean (abs (vecerror))));
    printf ("max error: %.2f dB\n", 20 * log10 (max (abs (vecerror))));
  else
    printf ("no reference comparison (vecerror not computed)\n");
  endif
  cd (kw__back);
endfunction

## gnuplot writes PNG itself through cairo; the other toolkits render it directly.
function dev = kw__png_device ()
  if (strcmp (graphics_toolkit (), "gnuplot"))
    dev = "-dpngcairo";
  else
    dev = "-dpng";
  endif
endfunction

%!error <no such script> kw_run_testbench ("/nonexistent/dir/tb_script.m")
