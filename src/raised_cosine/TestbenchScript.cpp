// Text of the raised-cosine testbench script: random stimulus, sample-by-sample run of the core,
// spectra against the ideal raised-cosine response, and the comparison with MATLAB's rcosflt.
// Also the text of kw_psd.m, the PSD estimator the script calls.
#include "raised_cosine/TestbenchScript.h"

#include <array>
#include <charconv>
#include <iomanip>

#include "fir/CoreStructures.h"

namespace rcos {

namespace {

// What the script's fragments read: the request, the design and the core's name.
struct Testbench {
    const GenerateRequest& request;
    const CoreDesign& design;
    const std::string& functionName;
};

// Rates and the roll-off are single precision; MATLAB gets the digits of the float itself.
double Widened(float value) { return static_cast<double>(value); }

bool IsRootRaisedCosine(const GenerateRequest& r) { return r.family == Family::RootRaisedCosine; }

// With the input at the symbol rate the script holds each sample and decimates for the reference.
bool InputAtSymbolRate(const GenerateRequest& r) { return r.inputRate == InputRate::SymbolRate; }

// The single-precision Fs/Fd; kept where it only scales a frequency axis.
double RateRatio(const GenerateRequest& r) { return Widened(r.fs / r.fd); }

// The script's opening (figures closed, warnings off) and the double-precision coefficients at 32
// significant digits (std::to_chars writes what the stream's general format would, without its
// locale machinery per number); the stream keeps precision 32 for the reals that follow.
void WriteCoefficients(std::ostream& out, const std::vector<double>& normalized) {
    constexpr int kDigits = 32;
    out << "close all\n\n" << "warning off\n" << "doubleCoefs=[";
    if (!normalized.empty()) {
        out << std::setprecision(kDigits);
    }
    std::array<char, 64> digits;
    for (double coefficient : normalized) {
        const auto written =
            std::to_chars(digits.data(), digits.data() + digits.size(), coefficient, std::chars_format::general, kDigits);
        out.write(digits.data(), written.ptr - digits.data());
        out << " ";
    }
    out << "];\n\n";
}

// The stimulus: the sample count, a random input quantized to the core's input format; NUM_SAMPLES
// is channels*ratio*256 exactly, because a fractional single-precision count (for rates such as
// 3000/1000) is refused by MATLAB as a size.
void WriteStimulus(std::ostream& out, const Testbench& tb) {
    const GenerateRequest& in = tb.request;
    fir::WriteFormatDeclaration(out, "qin", tb.design.model.in);
    out << "NUM_SAMPLES = " << TestbenchSampleCount(in.channels, in.ratio)
        << ";   %Set number of samples to simulate\n";
    out << "SigInput = ((rand(1,NUM_SAMPLES)*2-1)*2^" << in.ibits - in.ifbits - 1 << ");\n";
    if (InputAtSymbolRate(in)) {
        out << "for ii = 2:" << in.ratio << " \n";
        out << "SigInput(ii:" << in.ratio << ":end)=SigInput(1:" << in.ratio << ":end);\n";
        out << "end\n";
    }
    out << "SigInput = quantize(qin, SigInput);\n";
}

// The run of the core: one call per sample, then (symbol-rate input) zeros between the symbols so the
// reference sees the same input.
void WriteDesignRun(std::ostream& out, const Testbench& tb) {
    const GenerateRequest& in = tb.request;
    out << "\n\nfor n = 1:NUM_SAMPLES\n";
    out << "[data_out(n)]=" << tb.functionName << "(SigInput(n));\n";
    out << "end\n\n";
    if (InputAtSymbolRate(in)) {
        out << "for ii = 1:" << in.ratio - 1 << " \n";
        out << "SigInput(ii:" << in.ratio << ":end)=0;\n";
        out << "end\n";
    }
}

// Figure 1: input, output and coefficient spectra per channel.
void WriteChannelSpectra(std::ostream& out, const GenerateRequest& in) {
    out << "\nfigure(1)\n" << "hold off\n" << "temp=10*log10(mean(kw_psd(SigInput)));\n";
    out << "for chans = 1:" << in.channels << ";\n";
    out << "data_out_tmp=data_out(chans:" << in.channels << ":end);\n";
    out << "[Pin,Win]=kw_psd(SigInput(chans:" << in.channels << ":end),2^9,2);\n";
    out << "[Pout,Wout]=kw_psd(data_out_tmp,2^9,2);\n";
    out << "Pref=(abs(fft(doubleCoefs,2^10)));\n";
    out << "Pref=Pref(1:end/2);\n";
    out << "plot(Win,10*log10(Pin),'r')\n";
    out << "hold on\n";
    out << "plot(Wout,10*log10(Pout))\n";
    out << "plot(linspace(0,1,2^9),20*log10(Pref)+temp,'g')\n";
    out << "end\n";
}

// Figure 1's title and the ideal (root-)raised-cosine spectrum over it.
void WriteReferenceSpectrum(std::ostream& out, const GenerateRequest& in) {
    const double r = Widened(in.rollOff);
    out << (IsRootRaisedCosine(in) ? "temptext = sprintf('%s','RRC filter; ', num2str("
                                   : "temptext = sprintf('%s','RC filter; ', num2str(");
    out << in.taps << "),' Taps; Excess Bandwidth=',num2str(" << r << "),'; ' );\n";
    out << "title(temptext)\n" << "grid on\n" << "\n%Create reference spectrum\n" << "fmin  = 1e-3;\n";
    out << "fmax  = " << RateRatio(in) << ";\n";
    out << "fpnt  = 500;\n" << "f = linspace(fmin,fmax,fpnt);\n" << "W = f*2*pi;\n"
        << "refspec = zeros(1,length(W))+1e-12;\n";
    out << "rcmin = find(f < (1-" << r << "));\n";
    out << "refspec(rcmin) = 1;\n";
    out << "rctrn = find(f >=(1-" << r << ") & f <= (1+" << r << "));\n";
    out << "refspec(rctrn) = cos(pi/4*(abs(f(rctrn))+(1+" << r << ")-2)/((1+" << r << ")-1)).^2;\n";
    if (IsRootRaisedCosine(in)) {
        out << "refspec = sqrt(refspec);\n";
    }
    out << "amp = refspec;\n";
    out << "freq = f/(" << RateRatio(in) << ");\n";
    out << "plot(freq,20*log10(amp)+temp,'k');\n";
    out << "temp=10*ceil(temp/10);";  // the axis command continues this line
    out << "axis([0 1 temp-70 temp+10])\n" << "grid on\n"
        << "legend('Input signal','FxPt Output signal','Double precision Coefs.')\n" << "xlabel('Frequency')\n"
        << "ylabel('Power Spectral Density (dB)')\n";
}

// The reference: MATLAB's rcosflt on the same input; at the symbol rate it reads every ratio-th sample
// (the stride is the exact whole ratio, as it is an index step).
void WriteReferenceCall(std::ostream& out, const GenerateRequest& in) {
    if (InputAtSymbolRate(in)) {
        const int stride = in.ratio * in.channels;
        out << "temp = rcosflt(SigInput(chans+" << stride - 1 << ":" << stride << ":end),";
    } else {
        out << "temp = rcosflt(SigInput(chans:" << in.channels << ":end),";
    }
    out << Widened(in.fd) << "," << Widened(in.fs) << ",'fir";
    if (IsRootRaisedCosine(in)) {
        out << "/sqrt";
    }
    if (!InputAtSymbolRate(in)) {
        out << "/Fs";
    }
    out << "'," << Widened(in.rollOff) << "," << in.delay << ");\n";
}

// The comparison: reference output per channel, alignment by cross-correlation, equal-power scaling
// and the normalised error in figure 2.
void WriteReferenceComparison(std::ostream& out, const GenerateRequest& in) {
    out << "if (exist('rcosflt')==2)\n" << "matoutref =zeros(1,length(data_out));\n";
    out << "for chans = 1:" << in.channels << ";\n";
    WriteReferenceCall(out, in);
    out << "matoutref(chans:" << in.channels << ":end) = temp(1:length(data_out)/" << in.channels << ");\n";
    out << "end\n";
    out << "xc = xcorr(matoutref,data_out);\n"
        << "[mx,lc]=max(xc);\n"
        << "dl=length(matoutref)-lc;\n"
        << "gensig = data_out((dl+1):end);\n"
        << "refsig = matoutref(1:length(gensig));\n"
        << "pref = mean(abs(refsig).^2);\n"
        << "psig = mean(abs(gensig).^2);\n"
        << "refgain=sqrt(psig/pref);\t\n"
        << "refsig=refsig*refgain;\t\n"
        << "vecerror=(refsig(:)-gensig(:))/max(refsig);\n"
        << "figure(2);plot((vecerror));\n"
        << "temptext = sprintf('%s','   mean error: ',num2str(20*log10(mean(abs(vecerror)))),' dB');\n"
        << "text(5,max(abs(vecerror))*1.3,temptext,'FontSize',12,'color','blue');\n"
        << "temptext = sprintf('%s','   max error: ',num2str(20*log10(max(abs(vecerror)))),' dB');\n"
        << "text(5,max(abs(vecerror))*1.05,temptext,'FontSize',12,'color','blue');\n"
        << "axis([0 length(vecerror) -max(abs(vecerror))*2 max(abs(vecerror))*2]);\n"
        << "temptext = sprintf('%s','Normalized error against Matlab rcosflt() after scaling by ', "
           "num2str(1/refgain),'and Delay of ',num2str(dl),'samples' );\n"
        << "title(temptext)\n"
        << "grid on\n";
}

// The pass/fail checks: only a full-precision output can be held to the error bound; the gain bound is known
// only for a rate ratio of 2.
void WriteFullPrecisionChecks(std::ostream& out, const GenerateRequest& in) {
    if (in.obits) {
        return;
    }
    const double bound = 0.5;
    out << "\nif(max(abs(vecerror))>" << bound << ")\n";
    out << std::setprecision(6)
        << "error('Fixed-Point Simulation Failed: Max. error against Matlab built-in is > " << bound << "');\n";
    out << "end\n\n";
    const float integralFsOverFd = static_cast<float>(static_cast<int>(in.fs)) / in.fd;
    if (integralFsOverFd == 2.0f) {
        out << "\nif( ((1/refgain)>2.5) | ((1/refgain)<0.75))\n"
            << "error('Fixed-Point Simulation Failed: Filter scaling is incorrect');\n"
            << "end\n\n";
    }
}

}  // namespace

std::int64_t TestbenchSampleCount(int channels, int ratio) {
    return static_cast<std::int64_t>(channels) * ratio * 256;
}

std::string KwPsdText() {
    return "function [P,F]=kw_psd(X,NFFT,Fs)\n"
           "if (min(size(X))~=1)\n"
           "    disp('kw_psd only operates on row or column vectors')\n"
           "    return;\n"
           "end\n"
           "% Convert input to column vector\n"
           "X=X(:);\n"
           "% Set default values if not specified\n"
           "if (nargin < 3)\n"
           "    Fs = 2;\n"
           "end\n"
           "if (nargin < 2)\n"
           "    if (length(X)<256)\n"
           "        NFFT = length(X);\n"
           "    else\n"
           "        NFFT = 2^8;\n"
           "    end\n"
           "end\n"
           "RealVal = isreal(X);\n"
           "if (RealVal == 0)\n"
           "    Fs=Fs*2;\n"
           "end\n"
           "% Zero pad input if needed\n"
           "if (length(X) < NFFT)\n"
           "    X = [X;zeros(NFFT-length(X),1)];\n"
           "end\n"
           "% Determine available averaging\n"
           "if (length(X) > NFFT)\n"
           "    AVE = floor(length(X)/NFFT);\n"
           "    X = X(1:AVE*NFFT);\n"
           "%    X = [X;zeros(AVE*NFFT-length(X),1)];\n"
           "else\n"
           "    AVE = 1;\n"
           "end\n"
           "X=reshape(X,NFFT,AVE);\n"
           "%Create Hanning Window\n"
           "if ~rem(NFFT,2)\n"
           "    % Even length window\n"
           "    m=(NFFT)/2;\n"
           "    w = .5*(1 - cos(2*pi*(1:m)'/(NFFT+1)));\n"
           "    w = [w; w(end:-1:1)];\n"
           "else\n"
           "    % Odd length window\n"
           "    m=(NFFT+1)/2;\n"
           "    w = .5*(1 - cos(2*pi*(1:m)'/(NFFT+1)));\n"
           "    w = [w; w(end-1:-1:1)];\n"
           "end\n"
           "hm=kron(ones(1,AVE),w);\n"
           "%Compute PSD\n"
           "P=abs(fft(X.*hm)).^2/((length(X))/2);\n"
           "P=mean(P,2)*1.332;\n"
           "if (RealVal == 1)\n"
           "    P=P(1:end/2,:);\n"
           "    NFFT=NFFT/2;\n"
           "end\n"
           "F=linspace(0,1-1/NFFT,NFFT)*Fs/2;\n"
           "if (nargout == 0)\n"
           "    plot(F,10*log10(P),'r')\n"
           "   grid on\n"
           "    xlabel('Frequency')\n"
           "    ylabel('Power Spectrum Magnitude (dB)')\n"
           "end\n";
}

void WriteTestbenchScript(std::ostream& out, const GenerateRequest& request, const CoreDesign& design,
                          const std::string& functionName) {
    const Testbench tb{request, design, functionName};
    WriteCoefficients(out, design.normalized);
    WriteStimulus(out, tb);
    WriteDesignRun(out, tb);
    WriteChannelSpectra(out, request);
    WriteReferenceSpectrum(out, request);
    WriteReferenceComparison(out, request);
    WriteFullPrecisionChecks(out, request);
    out << "end";  // closes the rcosflt-availability block
}

void WriteProjectDirectives(std::ostream& out, const std::string& functionName) {
    out << "SetDirective -designfunction {for n." << functionName << "}\n"
        << "SetDirective -stream {for n}\n";
}

}  // namespace rcos
