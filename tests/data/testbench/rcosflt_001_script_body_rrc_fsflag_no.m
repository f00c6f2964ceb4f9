close all

warning off
doubleCoefs=[0.10000000000000000555111512312578 -0.0020999999999999998702426839969348 -0.0043000000000000000027755575615629 -0.0057999999999999996003197111349436 -0.0061000000000000003871902798380233 -0.004799999999999999579503029423222 -0.0020999999999999998702426839969348 0.0012999999999999999403255124263978 0.0041999999999999997404853679938697 0.0051000000000000003663735981263017 0.0028999999999999998001598555674718 -0.0035000000000000000728583859910259 -0.013400000000000000452415882534751 -0.024500000000000000943689570931383 -0.033300000000000003208544541166702 -0.035499999999999996835864379818304 0 0.044100000000000000310862446895044 0.10140000000000000401900734914307 0.1652000000000000135003119794419 0.22880000000000000337507799486048 0.28510000000000002007283228522283 0.32710000000000000186517468137026 0.35120000000000001216804434989172 0.125 0.35120000000000001216804434989172 0.32710000000000000186517468137026 0.28510000000000002007283228522283 0.22880000000000000337507799486048 0.1652000000000000135003119794419 0.10140000000000000401900734914307 0.044100000000000000310862446895044 0 -0.035499999999999996835864379818304 -0.033300000000000003208544541166702 -0.024500000000000000943689570931383 -0.013400000000000000452415882534751 -0.0035000000000000000728583859910259 0.0028999999999999998001598555674718 0.0051000000000000003663735981263017 0.0041999999999999997404853679938697 0.0012999999999999999403255124263978 -0.0020999999999999998702426839969348 -0.004799999999999999579503029423222 -0.0061000000000000003871902798380233 -0.0057999999999999996003197111349436 -0.0043000000000000000027755575615629 -0.0020999999999999998702426839969348 0.10000000000000000555111512312578 ];

qin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );
NUM_SAMPLES = 2048;   %Set number of samples to simulate
SigInput = ((rand(1,NUM_SAMPLES)*2-1)*2^0);
for ii = 2:8 
SigInput(ii:8:end)=SigInput(1:8:end);
end
SigInput = quantize(qin, SigInput);


for n = 1:NUM_SAMPLES
[data_out(n)]=rcosflt_001(SigInput(n));
end

for ii = 1:7 
SigInput(ii:8:end)=0;
end

figure(1)
hold off
temp=10*log10(mean(kw_psd(SigInput)));
for chans = 1:1;
data_out_tmp=data_out(chans:1:end);
[Pin,Win]=kw_psd(SigInput(chans:1:end),2^9,2);
[Pout,Wout]=kw_psd(data_out_tmp,2^9,2);
Pref=(abs(fft(doubleCoefs,2^10)));
Pref=Pref(1:end/2);
plot(Win,10*log10(Pin),'r')
hold on
plot(Wout,10*log10(Pout))
plot(linspace(0,1,2^9),20*log10(Pref)+temp,'g')
end
temptext = sprintf('%s','RRC filter; ', num2str(49),' Taps; Excess Bandwidth=',num2str(0.3499999940395355224609375),'; ' );
title(temptext)
grid on

%Create reference spectrum
fmin  = 1e-3;
fmax  = 8;
fpnt  = 500;
f = linspace(fmin,fmax,fpnt);
W = f*2*pi;
refspec = zeros(1,length(W))+1e-12;
rcmin = find(f < (1-0.3499999940395355224609375));
refspec(rcmin) = 1;
rctrn = find(f >=(1-0.3499999940395355224609375) & f <= (1+0.3499999940395355224609375));
refspec(rctrn) = cos(pi/4*(abs(f(rctrn))+(1+0.3499999940395355224609375)-2)/((1+0.3499999940395355224609375)-1)).^2;
refspec = sqrt(refspec);
amp = refspec;
freq = f/(8);
plot(freq,20*log10(amp)+temp,'k');
temp=10*ceil(temp/10);axis([0 1 temp-70 temp+10])
grid on
legend('Input signal','FxPt Output signal','Double precision Coefs.')
xlabel('Frequency')
ylabel('Power Spectral Density (dB)')
if (exist('rcosflt')==2)
matoutref =zeros(1,length(data_out));
for chans = 1:1;
temp = rcosflt(SigInput(chans+7:8:end),1,8,'fir/sqrt',0.3499999940395355224609375,3);
matoutref(chans:1:end) = temp(1:length(data_out)/1);
end
xc = xcorr(matoutref,data_out);
[mx,lc]=max(xc);
dl=length(matoutref)-lc;
gensig = data_out((dl+1):end);
refsig = matoutref(1:length(gensig));
pref = mean(abs(refsig).^2);
psig = mean(abs(gensig).^2);
refgain=sqrt(psig/pref);	
refsig=refsig*refgain;	
vecerror=(refsig(:)-gensig(:))/max(refsig);
figure(2);plot((vecerror));
temptext = sprintf('%s','   mean error: ',num2str(20*log10(mean(abs(vecerror)))),' dB');
text(5,max(abs(vecerror))*1.3,temptext,'FontSize',12,'color','blue');
temptext = sprintf('%s','   max error: ',num2str(20*log10(max(abs(vecerror)))),' dB');
text(5,max(abs(vecerror))*1.05,temptext,'FontSize',12,'color','blue');
axis([0 length(vecerror) -max(abs(vecerror))*2 max(abs(vecerror))*2]);
temptext = sprintf('%s','Normalized error against Matlab rcosflt() after scaling by ', num2str(1/refgain),'and Delay of ',num2str(dl),'samples' );
title(temptext)
grid on

if(max(abs(vecerror))>0.5)
error('Fixed-Point Simulation Failed: Max. error against Matlab built-in is > 0.5');
end

end