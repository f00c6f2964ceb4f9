function SigOut = transposed_parallel_antisym_2ch( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine SignalInput SignalOutput;
if (isempty(DelayLine));DelayLine = zeros(1,17);end
if (isempty(SignalInput));SignalInput = quantize(qin,0);end
if (isempty(SignalOutput));SignalOutput = 0;end
MultVec_1=quantize(qmult,quantize(qcoef,-0.013671875)*SignalInput);
MultVec_2=quantize(qmult,quantize(qcoef,0.052734375)*SignalInput);
MultVec_3=quantize(qmult,quantize(qcoef,0.13671875)*SignalInput);
MultVec_4=quantize(qmult,quantize(qcoef,0.20703125)*SignalInput);
MultVec_5=quantize(qmult,quantize(qcoef,0.234375)*SignalInput);

SignalInput=SigIn;
SigOut = quantize(qout,SignalOutput+0);
SignalOutput = quantize(qout,DelayLine(17)*2^(0) );
DelayLine(17) = quantize(qmult,DelayLine(16) +  MultVec_1);
DelayLine(16) = quantize(qmult,DelayLine(15));
DelayLine(15) = quantize(qmult,DelayLine(14) +  MultVec_2);
DelayLine(14) = quantize(qmult,DelayLine(13));
DelayLine(13) = quantize(qmult,DelayLine(12) +  MultVec_3);
DelayLine(12) = quantize(qmult,DelayLine(11));
DelayLine(11) = quantize(qmult,DelayLine(10) +  MultVec_4);
DelayLine(10) = quantize(qmult,DelayLine(9));
DelayLine(9) = quantize(qmult,DelayLine(8) +  MultVec_5);
DelayLine(8) = quantize(qmult,DelayLine(7));
DelayLine(7) = quantize(qmult,DelayLine(6) -  MultVec_4);
DelayLine(6) = quantize(qmult,DelayLine(5));
DelayLine(5) = quantize(qmult,DelayLine(4) -  MultVec_3);
DelayLine(4) = quantize(qmult,DelayLine(3));
DelayLine(3) = quantize(qmult,DelayLine(2) -  MultVec_2);
DelayLine(2) = quantize(qmult,DelayLine(1));
DelayLine(1) = quantize(qmult,-MultVec_1);

