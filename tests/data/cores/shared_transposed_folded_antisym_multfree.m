function SigOut = shared_transposed_folded_antisym_multfree( SigIn2 )
SigIn = SigIn2;
qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
qout = quantizer( 'fixed', 'floor', 'wrap', [ 27 24 ] );
qmult = quantizer( 'fixed', 'floor', 'wrap', [ 26 24 ] );
qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 10 9 ] );
% Initializing variables
persistent DelayLine_n DelayLine_s SignalInput SignalOutput;
if (isempty(SignalInput));SignalInput = quantize(qin,0);end
if (isempty(SignalOutput));SignalOutput = quantize(qout,0);end

if (isempty(DelayLine_n));DelayLine_n = zeros(1,6);end

if (isempty(DelayLine_s));DelayLine_s = zeros(1,6);DelayLine_s_tmp = zeros(1,6);end

FIRCoefs=quantize(qcoef,[-0.015625 0.001953125 0.0625 -0.0078125 0.125 0.015625 0.25 -0.03125 0.25 -0.015625 ]);
DelayLine_s(1) = quantize(qmult,0);
DelayLine_s_tmp(1) = quantize(qmult,0);
SignalInput=SigIn;


for jj = 1:5
 temp = quantize(qmult,(SignalInput*FIRCoefs((jj-1)*2+1) + SignalInput*FIRCoefs((jj*2))));
    if (jj < 5)
        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) - temp);
    else
        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) + temp);
    end
    DelayLine_s(jj) = quantize(qmult,1*DelayLine_s_tmp(jj));
    DelayLine_n(jj) = quantize(qmult,DelayLine_n(jj+1) + temp);
end
DelayLine_s(6) = DelayLine_s_tmp(6);
DelayLine_n(5) = DelayLine_s_tmp(6);
SigOut = quantize(qout,SignalOutput+0);
SignalOutput = quantize(qout,DelayLine_n(1)*2^(0));

