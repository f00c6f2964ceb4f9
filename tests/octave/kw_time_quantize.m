## Measures the cost of one scalar quantize call as generated cores make it (a product
## quantized to the product format), for whichever quantize is first on the path.
## Usage: octave --eval "addpath(...); kw_time_quantize"   (prints microseconds per call)

function us = kw_time_quantize (n = 50000)
  qmult = quantizer ("fixed", "floor", "wrap", [16 14]);
  qcoef = quantizer ("fixed", "floor", "wrap", [8 7]);
  x = 0.3984375;
  tic ();
  for k = 1:n
    y = quantize (qmult, x * quantize (qcoef, 0.2734375));
  endfor
  us = toc () / (2 * n) * 1e6;
  printf ("%s: %.2f us per scalar quantize call\n", which ("quantize"), us);
endfunction
