function SigOut = direct_parallel_mixed( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,9);end
TempReg_1 = quantize(qmult,((DelayLine(1))*quantize(qcoef,-0.013671875)));
TempReg_2 = quantize(qmult,((DelayLine(2))*quantize(qcoef,0.052734375)));
TempReg_3 = quantize(qmult,((DelayLine(3))*quantize(qcoef,0.13671875)));
TempReg_4 = quantize(qmult,((DelayLine(4))*quantize(qcoef,0.20703125)));
TempReg_5 = quantize(qmult,((DelayLine(5))*quantize(qcoef,0.234375)));
TempReg_6 = quantize(qmult,((DelayLine(6))*quantize(qcoef,-0.20703125)));
TempReg_7 = quantize(qmult,((DelayLine(7))*quantize(qcoef,0.13671875)));
TempReg_8 = quantize(qmult,((DelayLine(8))*quantize(qcoef,0.052734375)));
TempReg_9 = quantize(qmult,((DelayLine(9))*quantize(qcoef,-0.013671875)));

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);
TempReg_3 = quantize(qmult,TempReg_5 + TempReg_6);
TempReg_4 = quantize(qmult,TempReg_7 + TempReg_8);
TempReg_5 = TempReg_9;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);
TempReg_3 = TempReg_5;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = TempReg_3;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
SigOut = quantize(qout,TempReg_1*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:8) ]);

