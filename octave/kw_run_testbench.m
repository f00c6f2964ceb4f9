## Runs a generated KelvoWare testbench script headless and reports on it: saves figure 1
## (spectra) and figure 2 (normalised error) as PNG files beside the script, prints the
## mean and max error, and returns false when the script raised an error, a figure it
## announces is missing, or (with the exact gate) the core differs from the bit-true simulator.

## -*- texinfo -*-
## @deftypefn  {} {@var{ok} =} kw_run_testbench (@var{script})
## @deftypefnx {} {@var{ok} =} kw_run_testbench (@var{script}, @var{opts})
## Run the testbench @var{script} (a path to a .m script) in its own directory.
##
## Loads the signal package (for @code{xcorr}), makes new figures invisible, runs
## the script, then writes @file{<script>_fig1.png} and @file{<script>_fig2.png}
## (1024x768 pixels) for the figures that exist and prints @code{mean error: X dB} and
## @code{max error: Y dB} when the script left a @code{vecerror}.  An error of the
## script is printed to stderr and gives @var{ok} = false; figures drawn before it
## are still saved.  The caller's directory is restored.
##
## The path of the script reaches no command string: the script is sourced by name and
## each figure is printed into a private directory under a fixed name, then moved
## beside the script with file functions.  A figure is announced only once its file
## is there.
##
## @var{opts} may have the fields @code{seed} (an integer: Octave's random generators
## are seeded with it before the script runs, so its figures repeat), @code{exact}
## (true: every output of the core must equal the bit-true simulator's, see
## kw_exact_check) and @code{figdir} (the private directory; by default one is made
## and removed here).
## @end deftypefn

function kw__ok = kw_run_testbench (kw__script, kw__opts = struct ())
  ## Every local carries the kw__ prefix: the script runs in this function's workspace.
  kw__script = make_absolute_filename (kw__script);
  [kw__info, kw__err] = stat (kw__script);
  if (kw__err != 0 || ! S_ISREG (kw__info.mode))
    error ("kw_run_testbench: no such script: %s", kw__script);
  endif
  kw__opts = kw__options (kw__opts);
  [kw__dir, kw__name] = fileparts (kw__script);
  pkg load signal
  set (0, "defaultfigurevisible", "off");
  kw__back = pwd ();
  cd (kw__dir);
  kw__ok = true;
  if (! isempty (kw__opts.seed))
    kw__seed_generators (kw__opts.seed);
  endif
  try
    source (kw__script);
  catch kw__err
    kw__ok = false;
    fprintf (stderr, "testbench %s failed: %s\n", kw__name, kw__err.message);
  end_try_catch
  cd (kw__dir);
  for kw__fig = 1:2
    if (ishghandle (kw__fig))
      kw__png = fullfile (kw__dir, sprintf ("%s_fig%d.png", kw__name, kw__fig));
      [kw__saved, kw__why] = kw__save_figure (kw__fig, kw__png, kw__opts.figdir);
      if (kw__saved)
        printf ("figure %d: %s\n", kw__fig, kw__png);
      else
        kw__ok = false;
        fprintf (stderr, "figure %d was not saved as %s: %s\n", kw__fig, kw__png, kw__why);
      endif
    endif
  endfor
  if (exist ("vecerror", "var"))
    printf ("mean error: %.2f dB\n", 20 * log10 (mean (abs (vecerror))));
    printf ("max error: %.2f dB\n", 20 * log10 (max (abs (vecerror))));
  else
    printf ("no reference comparison (vecerror not computed)\n");
  endif
  if (kw__opts.exact)
    kw__ws = struct ();
    if (exist ("data_out", "var")) kw__ws.data_out = data_out; endif
    if (exist ("SigInput", "var")) kw__ws.SigInput = SigInput; endif
    kw__ok = kw__exact_gate (kw__script, kw__dir, kw__ws) && kw__ok;
  endif
  if (kw__opts.own_figdir)
    confirm_recursive_rmdir (false, "local");
    rmdir (kw__opts.figdir, "s");
  endif
  ## A further testbench in the same session starts without this one's figures.
  close all
  cd (kw__back);
endfunction

function o = kw__options (o)
  if (! isfield (o, "seed")) o.seed = []; endif
  if (! isfield (o, "exact")) o.exact = false; endif
  ## The generators' states take 32 bits of the seed: a larger one would repeat a smaller one.
  if (! isempty (o.seed) && ! (isscalar (o.seed) && o.seed == fix (o.seed) && o.seed >= 0 && o.seed <= 4294967295))
    error ("kw_run_testbench: the seed must be an integer from 0 to 4294967295");
  endif
  o.own_figdir = ! isfield (o, "figdir") || isempty (o.figdir);
  if (o.own_figdir)
    o.figdir = tempname ();
    [made, msg] = mkdir (o.figdir);
    if (! made)
      error ("kw_run_testbench: cannot make a directory for the figures: %s", msg);
    endif
  endif
endfunction

## Each generator a script may call starts from a state given by the seed alone.
function kw__seed_generators (seed)
  rand ("state", seed);
  randn ("state", seed);
  rande ("state", seed);
  randg ("state", seed);
  randp ("state", seed);
endfunction

## Prints figure fig into dir under a fixed name (the back end sees only that name), then
## moves the file to dest; true once dest is a non-empty regular file.
function [saved, why] = kw__save_figure (fig, dest, dir)
  saved = false;
  why = "";
  tmp = fullfile (dir, sprintf ("fig%d.png", fig));
  try
    kw__page_layout (fig);
    print (fig, tmp, kw__png_device ());
  catch err
    why = err.message;
    return;
  end_try_catch
  [err, msg] = rename (tmp, dest);
  if (err != 0)
    ## Another file system: copy the bytes, then remove the temporary file.
    [err, msg] = kw__copy_file (tmp, dest);
    unlink (tmp);
  endif
  [info, bad] = stat (dest);
  saved = err == 0 && bad == 0 && S_ISREG (info.mode) && info.size > 0;
  if (! saved)
    why = ifelse_text (isempty (msg), "no file was written", msg);
  endif
endfunction

function [err, msg] = kw__copy_file (from, to)
  err = -1;
  msg = "";
  [in, msg] = fopen (from, "rb");
  if (in < 0)
    return;
  endif
  bytes = fread (in, Inf, "uint8=>uint8");
  fclose (in);
  [out, msg] = fopen (to, "wb");
  if (out < 0)
    return;
  endif
  written = fwrite (out, bytes, "uint8");
  if (fclose (out) == 0 && written == numel (bytes))
    err = 0;
  endif
endfunction

## 1024x768 pixels (the PNG back end draws one point per pixel) with text sized for that
## page; a title is shrunk until it fits the width instead of running over its edges.
function kw__page_layout (fig)
  set (fig, "paperunits", "points", "paperposition", [0 0 1024 768]);
  for ax = findobj (fig, "type", "axes").'
    set (ax, "fontsize", 13);
    t = get (ax, "title");
    ## A bold character is about 0.8 of the font size wide.
    fit = floor (1000 / (0.8 * max (1, columns (get (t, "string")))));
    if (get (t, "fontsize") > fit)
      set (t, "fontsize", max (6, fit));
    endif
  endfor
endfunction

## gnuplot writes PNG itself through cairo; the other toolkits render it directly.
function dev = kw__png_device ()
  if (strcmp (graphics_toolkit (), "gnuplot"))
    dev = "-dpngcairo";
  else
    dev = "-dpng";
  endif
endfunction

## The script's core, found by its call in the script, against the bit-true simulator; ws
## holds what the script left of its inputs and outputs.
function ok = kw__exact_gate (script, dir, ws)
  ok = false;
  names = {"data_out", "SigInput"};
  have = isfield (ws, names);
  if (! all (have))
    fprintf (stderr, "exact: the testbench left no %s\n", strjoin (names(! have), ", "));
    return;
  endif
  core = regexp (fileread (script), '\[data_out\(n\)\]\s*=\s*(\w+)\s*\(', "tokens", "once");
  if (isempty (core))
    fprintf (stderr, "exact: the testbench calls no core as [data_out(n)]=NAME(...)\n");
    return;
  endif
  r = kw_exact_check (fullfile (dir, [core{1} ".m"]), ws.SigInput, ws.data_out);
  if (r.pass)
    printf ("exact: %d of %d outputs equal the bit-true simulator\n", r.compared, r.compared);
  else
    fprintf (stderr, "exact: %s\n", r.message);
  endif
  ok = r.pass;
endfunction

function t = ifelse_text (c, a, b)
  if (c) t = a; else t = b; endif
endfunction

%!error <no such script> kw_run_testbench ("/nonexistent/dir/tb_script.m")
%!error <seed must be an integer from 0 to 4294967295> kw_run_testbench (which ("kw_run_testbench"), struct ("seed", -1))
%!error <seed must be an integer from 0 to 4294967295> kw_run_testbench (which ("kw_run_testbench"), struct ("seed", 2^32))
