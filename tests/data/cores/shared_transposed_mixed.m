function SigOut = shared_transposed_mixed( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine SignalInput;
if (isempty(SignalInput));SignalInput = quantize(qin,0);end

if (isempty(DelayLine));DelayLine = zeros(1,9);end

FIRCoefs=quantize(qcoef,[-0.013671875 0.052734375 0.13671875 0.20703125 0.234375 -0.20703125 0.13671875 0.052734375 -0.013671875 ]);
SignalInput=SigIn;

for ii = 8:-1:1
	DelayLine(1*ii+1) = quantize(qmult,DelayLine(1*ii)+FIRCoefs(9-ii)*SignalInput);
end

DelayLine(1) = quantize(qmult,FIRCoefs(9)*SignalInput);
SigOut = quantize(qout,DelayLine(9)*2^(0));

