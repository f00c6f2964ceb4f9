function SigOut = direct_parallel_unfolded_zs4( SigIn2 )
persistent counter;
if (isempty(counter));counter = 0;end
qcount=quantizer('ufixed','floor','wrap',[2 0]);

if (counter == 3)
counter=quantize(qcount,0);
SigIn = SigIn2;
else
counter=quantize(qcount,counter+1);
SigIn = 0;
end
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 14 12 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 22 20 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 6 5 ] );
% Initializing variables
persistent DelayLine;
if (isempty(DelayLine));DelayLine = zeros(1,7);end
TempReg_1 = quantize(qmult,((DelayLine(1))*quantize(qcoef,0.09375)));
TempReg_2 = quantize(qmult,((DelayLine(2))*quantize(qcoef,-0.15625)));
%TempReg_2 = quantize(qmult,((DelayLine(3))*quantize(qcoef,0)));
TempReg_3 = quantize(qmult,((DelayLine(4))*quantize(qcoef,0.28125)));
TempReg_4 = quantize(qmult,((DelayLine(5))*quantize(qcoef,0.5)));
TempReg_5 = quantize(qmult,((DelayLine(6))*quantize(qcoef,0.0625)));
TempReg_6 = quantize(qmult,((DelayLine(7))*quantize(qcoef,-0.03125)));

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);
TempReg_3 = quantize(qmult,TempReg_5 + TempReg_6);

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
TempReg_2 = TempReg_3;

TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);
SigOut = quantize(qout,TempReg_1*2^(0) );
DelayLine=quantize(qin,[SigIn DelayLine(1:6) ]);

