function SigOut = transposed_parallel_multfree_rc9( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine SignalInput SignalOutput;
if (isempty(DelayLine));DelayLine = zeros(1,9);end
if (isempty(SignalInput));SignalInput = quantize(qin,0);end
if (isempty(SignalOutput));SignalOutput = 0;end
MultVec_1 = 0;
MultVec_2 = quantize(qmult,(1*SignalInput*2^(-4)-1*SignalInput*2^(-8)));
MultVec_3 = quantize(qmult,(1*SignalInput*2^(-3)+1*SignalInput*2^(-7)));
MultVec_4 = quantize(qmult,(1*SignalInput*2^(-2)-1*SignalInput*2^(-4)));
MultVec_5 = quantize(qmult,(1*SignalInput*2^(-2)-1*SignalInput*2^(-5)));

SignalInput=SigIn;
SigOut = quantize(qout,SignalOutput+0);
SignalOutput = quantize(qout,DelayLine(9)*2^(0) );
DelayLine(9) = quantize(qmult,DelayLine(8) +  MultVec_1);
DelayLine(8) = quantize(qmult,DelayLine(7) +  MultVec_2);
DelayLine(7) = quantize(qmult,DelayLine(6) +  MultVec_3);
DelayLine(6) = quantize(qmult,DelayLine(5) +  MultVec_4);
DelayLine(5) = quantize(qmult,DelayLine(4) +  MultVec_5);
DelayLine(4) = quantize(qmult,DelayLine(3) +  MultVec_4);
DelayLine(3) = quantize(qmult,DelayLine(2) +  MultVec_3);
DelayLine(2) = quantize(qmult,DelayLine(1) +  MultVec_2);
DelayLine(1) = quantize(qmult,MultVec_1);

