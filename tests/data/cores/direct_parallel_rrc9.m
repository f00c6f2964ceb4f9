function SigOut = direct_parallel_rrc9( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 12 11 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 23 20 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 22 20 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,9);end
TempReg_1 = quantize(qmult,((DelayLine(1) + DelayLine(9))*quantize(qcoef,-0.013671875)));
TempReg_2 = quantize(qmult,((DelayLine(2) + DelayLine(8))*quantize(qcoef,0.052734375)));
TempReg_3 = quantize(qmult,((DelayLine(3) + DelayLine(7))*quantize(qcoef,0.13671875)));
TempReg_4 = quantize(qmult,((DelayLine(4) + DelayLine(6))*quantize(qcoef,0.20703125)));
TempReg_5 = quantize(qmult, (DelayLine(5)*quantize(qcoef,0.234375)));

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);
TempReg_3 = TempReg_5;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = TempReg_3;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
SigOut = quantize(qout,TempReg_1*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:8) ]);

