function SigOut = direct_parallel_multfree_antisym( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 24 21 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 23 21 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,9);end
TempReg_1a  = quantize(qmult,DelayLine(1)-DelayLine(9));
TempReg_1  = quantize(qmult,(TempReg_1a*-0.015625)+(TempReg_1a*0.001953125));
TempReg_2a  = quantize(qmult,DelayLine(2)-DelayLine(8));
TempReg_2  = quantize(qmult,(TempReg_2a*0.0625)+(TempReg_2a*-0.0078125));
TempReg_3a  = quantize(qmult,DelayLine(3)-DelayLine(7));
TempReg_3  = quantize(qmult,(TempReg_3a*0.125)+(TempReg_3a*0.015625));
TempReg_4a  = quantize(qmult,DelayLine(4)-DelayLine(6));
TempReg_4  = quantize(qmult,(TempReg_4a*0.25)+(TempReg_4a*-0.03125));
TempReg_5  = quantize(qmult,(DelayLine(5)*0.25)+(DelayLine(5)*-0.015625));

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);
TempReg_3 = TempReg_5;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = TempReg_3;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
SigOut = quantize(qout,TempReg_1*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:8) ]);

