function SigOut = shared_direct_unfolded_multfree( SigIn2 )
persistent counter;
if (isempty(counter));counter = 0;end
qcount=quantizer('ufixed','floor','wrap',[3 0]);

if (counter == 7)
counter=quantize(qcount,0);
SigIn = SigIn2;
else
counter=quantize(qcount,counter+1);
SigIn = 0;
end
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 23 20 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 22 20 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 6 5 ] );
% Initializing variables

persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,7);end

FIRCoefs=quantize(qcoef, [0.125 -0.03125 -0.125 -0.03125 0 0 0.25 0.03125 0 0.5 0 0.0625 0 -0.03125 ]);

TempReg=quantize(qmult,0);
for (ii = 0:6)
TempReg = quantize(qmult,TempReg+((DelayLine(ii*1+1)*FIRCoefs((ii*1)*2+1)+DelayLine(ii*1+1)*FIRCoefs(((ii+1)*2)))));
end
SigOut = quantize(qout,TempReg*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:6) ]);

