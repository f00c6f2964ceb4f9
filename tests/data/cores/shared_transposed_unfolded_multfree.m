function SigOut = shared_transposed_unfolded_multfree( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 23 20 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 22 20 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 6 5 ] );
% Initializing variables
persistent DelayLine SignalInput;
if (isempty(SignalInput));SignalInput = quantize(qin,0);end

if (isempty(DelayLine));DelayLine = zeros(1,7);end

FIRCoefs=quantize(qcoef,[0.125 -0.03125 -0.125 -0.03125 0 0 0.25 0.03125 0 0.5 0 0.0625 0 -0.03125 ]);
SignalInput=SigIn;

for ii = 6:-1:1
	DelayLine(1*ii+1) = quantize(qmult,DelayLine(1*ii)+((SignalInput*FIRCoefs(13-(ii)*2)+SignalInput*FIRCoefs(13-(ii)*2+1))));
end

DelayLine(1) = quantize(qmult,((SignalInput*FIRCoefs(13)+SignalInput*FIRCoefs(14))));
SigOut = quantize(qout,DelayLine(7)*2^(0));

