function SigOut = shared_direct_folded_2ch( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables

persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,17);end

FIRCoefs=quantize(qcoef, [-0.013671875 0.052734375 0.13671875 0.20703125 ]);
TempReg = quantize(qmult, (DelayLine(9)*quantize(qcoef,0.234375)));

for (ii = 0:3)
	TempReg = quantize(qmult,TempReg+(((DelayLine(ii*2+1)+DelayLine(17-ii*2))*FIRCoefs(ii+1))));
end

SigOut = quantize(qout,TempReg*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:16) ]);

