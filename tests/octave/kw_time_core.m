## Measures how fast a generated core runs in Octave: seconds for a number of samples,
## samples per second, quantize calls per sample (counted in the core's text) and the
## resulting time per quantize call, for whichever quantize is first on the path.
## Usage: octave --eval "addpath(...); kw_time_core ('DIR', 'NAME', 2048)"

function t = kw_time_core (dir, name, n = 2048)
  text = fileread (fullfile (dir, [name ".m"]));
  t.calls = quantize_calls_per_sample (text);
  rand ("seed", 1);
  x = floor ((rand (1, n) * 2 - 1) * pow2 (15)) / pow2 (15);
  back = pwd ();
  cd (dir);
  unwind_protect
    clear (name);
    f = str2func (name);
    t0 = tic ();
    for k = 1:n
      f (x(k));
    endfor
    t.seconds = toc (t0);
    clear (name);
  unwind_protect_cleanup
    cd (back);
  end_unwind_protect
  t.samples_per_second = n / t.seconds;
  t.us_per_call = t.seconds / (n * t.calls) * 1e6;
  printf ("%s: %d samples in %.2f s (%.0f samples/s), %d quantize calls per sample, %.2f us per call (all core work included), quantize from %s\n",
          name, n, t.seconds, t.samples_per_second, t.calls, t.us_per_call, which ("quantize"));
endfunction

## quantize( occurrences on the lines that run each call: code lines that are not
## comments and not inside the once-only initialisation of persistent state.
function c = quantize_calls_per_sample (text)
  lines = strtrim (strsplit (text, "\n"));
  lines = lines(! strncmp (lines, "%", 1) & ! strncmp (lines, "if (isempty", 11));
  c = sum (cellfun (@(l) numel (strfind (l, "quantize(")), lines));
endfunction
