// The raised-cosine generator's parameters: every check with its message and order, the
// -obits/-ofbits text rules, the typed request read from them, and the refusals of sizes and
// rates that would overflow or are not numbers. Requests are argument objects as the host
// builds them; every refusal is a parameter error.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "framework/ParameterGroup.h"
#include "host/AppMgr.h"
#include "host/Failure.h"
#include "raised_cosine/CKWDesign.h"

namespace {

const char* const kChannels = "Invalid Parameter: Number of channels must be greater than zero.";
const char* const kObitsRange =
    "Invalid Parameter: Number of Output bits (OBITS) is limited to values between 4 and 32 bits.";
const char* const kOfbitsBelowObits =
    "Invalid Parameter: Number of Fractional Output bits (OFBITS) must be less than OBITS.";
const char* const kIbits = "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits.";
const char* const kIfbits = "Invalid Parameter: Number of Fractional Input bits (IFBITS) must be less than IBITS.";
const char* const kCbits =
    "Invalid Parameter: Number of bits for Coefficients (CBITS) is limited to values between 6 and 20 bits.";
const char* const kTrunc =
    "Invalid Parameter: Number of bits Truncated after multiplies (Trunc) is limited to values between 0 and "
    "(CBITS-1) bits.";
const char* const kRatio = "Invalid Parameter: The ratio Fs/Fs must be an integer value between [2 and 8].";
const char* const kRollOff =
    "Invalid Parameter: The excess bandwidth factor (R) must be greater than 0 and less than or equal to 1.";
const char* const kDelay = "Invalid Parameter: The Delay parameter must be greater than 0.";
const char* const kTaps =
    "Invalid Parameter: Number of taps in the filter (1+2*Delay*Fs/Fd) must be less than or equal to 511.";
const char* const kTooManyChannels =
    "Invalid Parameter: Number of channels is limited to at most 1024 (interleaved channels of one core).";
const char* const kSharedTransposed =
    "Multi-Channel/Resource Shared Transposed form filters are not currently supported.";
const char* const kFsFlag = "Invalid Parameter: Multiple channels are not currently supported with FsFlag equal to no.";
const char* const kObitsOne = "Invalid Parameter: Number of Output bits (OBITS) only take one parameter.";
const char* const kObitsInteger = "Invalid Parameter: Number of Output bits (OBITS) must be a positive integer.";
const char* const kOfbitsOne = "Invalid Parameter: Number of Output bits (OFBITS) only take one parameter.";
const char* const kOfbitsInteger =
    "Invalid Parameter: Number of Fractional Output bits (m_OFBITS) must be a positive integer.";

using Overrides = std::map<std::string, std::optional<std::string>>;  // nullopt: switch not given

// A request that passes every check: what the host delivers for "rcosflt" with its defaults.
const Overrides kValidRequest = {
    {"-fs", "4"},          {"-fd", "1"},        {"-r_val", "0.5"},    {"-type", "normal"},
    {"-fs_flag", "yes"},   {"-delay", "3"},     {"-ibits", "16"},     {"-ifbits", "15"},
    {"-cbits", "16"},      {"-trunc", "0"},     {"-form", "Direct"},  {"-resource_shared", "no"},
    {"-number_of_channels", "1"}, {"-obits", "auto"}, {"-ofbits", "auto"}, {"-no_mults", "no"},
};

struct RefusalCase {
    const char* name;
    Overrides overrides;
    const char* message;  // "" = accepted
};

class ParametersTest : public kwtest::HostFixture {
protected:
    void SetUp() override {
        kwtest::HostFixture::SetUp();
        design = std::make_unique<kw::CKWDesign>();
    }
    void TearDown() override {
        design.reset();
        kwtest::HostFixture::TearDown();
    }

    // Runs one request; returns the refusal text, or "" when the parameters are accepted.
    std::string Run(const Overrides& overrides) {
        Overrides request = kValidRequest;
        for (const auto& [name, value] : overrides) request[name] = value;
        arguments = std::make_unique<CCmdArguments>();
        for (const auto& [name, value] : request) {
            if (value) arguments->Set(name, CTclDataObj(*value));
        }
        try {
            design->ParseArguments(arguments.get());
        } catch (const kw::ParameterError& error) {
            return error.what();
        }
        return "";
    }

    void ExpectOutcomes(const std::vector<RefusalCase>& cases) {
        for (const RefusalCase& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.message, Run(c.overrides));
        }
    }

    // The checked request of the last run that passed.
    const rcos::GenerateRequest& Request() const {
        const rcos::GenerateRequest* request = design->Request();
        if (request == nullptr) throw std::logic_error("no checked request");
        return *request;
    }

    std::unique_ptr<kw::CKWDesign> design;
    std::unique_ptr<CCmdArguments> arguments;
};

TEST_F(ParametersTest, GeneratorIdentityAndHiddenPorts) {
    EXPECT_EQ("rcosflt", design->GetShortName());
    EXPECT_EQ("Raised-Cosine FIR Filter", design->GetFullName());
    EXPECT_EQ("Raised-Cosine FIR Filter", design->GetDescription());
    EXPECT_TRUE(design->WarnOnGenerate());
    ASSERT_EQ(1, design->InputsGroup().Count());
    ASSERT_EQ(1, design->OutputsGroup().Count());
    EXPECT_EQ("-SigIn2", design->InputsGroup().At(0)->GetSwitchName());
    EXPECT_EQ("-SigOut", design->OutputsGroup().At(0)->GetSwitchName());
    EXPECT_TRUE(design->InputsGroup().At(0)->IsHidden());
    EXPECT_TRUE(design->OutputsGroup().At(0)->IsHidden());
}

TEST_F(ParametersTest, EveryCheckHasItsMessage) {
    ExpectOutcomes({
        {"defaults", {}, ""},
        {"1 channels 0", {{"-number_of_channels", "0"}}, kChannels},
        {"1 channels -3", {{"-number_of_channels", "-3"}}, kChannels},
        {"2 obits 3", {{"-obits", "3"}}, kObitsRange},
        {"2 obits 33", {{"-obits", "33"}}, kObitsRange},
        {"2 obits 0", {{"-obits", "0"}}, kObitsRange},
        {"2 obits 4", {{"-obits", "4"}, {"-ofbits", "3"}}, ""},
        {"2 obits 32", {{"-obits", "32"}}, ""},
        {"3 ofbits = obits", {{"-obits", "8"}, {"-ofbits", "8"}}, kOfbitsBelowObits},
        {"3 ofbits < obits", {{"-obits", "8"}, {"-ofbits", "7"}}, ""},
        {"3 auto obits ignores ofbits", {{"-obits", "auto"}, {"-ofbits", "40"}}, ""},
        {"4 ibits 2", {{"-ibits", "2"}, {"-ifbits", "1"}}, kIbits},
        {"4 ibits 33", {{"-ibits", "33"}}, kIbits},
        {"4 ibits 3", {{"-ibits", "3"}, {"-ifbits", "2"}}, ""},
        {"5 ifbits = ibits", {{"-ifbits", "16"}}, kIfbits},
        {"5 ifbits -1", {{"-ifbits", "-1"}}, kIfbits},
        {"5 ifbits 0", {{"-ifbits", "0"}}, ""},
        {"6 cbits 5", {{"-cbits", "5"}}, kCbits},
        {"6 cbits 21", {{"-cbits", "21"}}, kCbits},
        {"7 cbits 20 trunc 19", {{"-cbits", "20"}, {"-trunc", "19"}}, ""},
        {"7 cbits 20 trunc 20", {{"-cbits", "20"}, {"-trunc", "20"}}, kTrunc},
        {"7 trunc -1", {{"-trunc", "-1"}}, kTrunc},
        {"8 ratio 9", {{"-fs", "9"}}, kRatio},
        {"8 ratio 1.5", {{"-fs", "3"}, {"-fd", "2"}}, kRatio},
        {"8 ratio 1", {{"-fs", "1"}}, kRatio},
        {"8 ratio 4.5", {{"-fs", "4.5"}}, kRatio},
        {"8 ratio 2", {{"-fs", "2"}}, ""},
        {"8 ratio 8", {{"-fs", "8"}}, ""},
        {"8 binary-fraction divisor", {{"-fs", "1.5"}, {"-fd", "0.5"}}, ""},
        {"9 R 0", {{"-r_val", "0"}}, kRollOff},
        {"9 R 1.01", {{"-r_val", "1.01"}}, kRollOff},
        {"9 R 1", {{"-r_val", "1"}}, ""},
        {"10 delay 0", {{"-delay", "0"}}, kDelay},
        {"11 505 taps", {{"-delay", "63"}}, ""},
        {"11 513 taps", {{"-delay", "64"}}, kTaps},
        {"12 two channels at symbol rate", {{"-number_of_channels", "2"}, {"-fs_flag", "no"}}, kFsFlag},
        {"12 two channels at output rate", {{"-number_of_channels", "2"}, {"-fs_flag", "yes"}}, ""},
        {"12 flag compared exactly", {{"-number_of_channels", "2"}, {"-fs_flag", "No"}}, ""},
        {"shared transposed channels", {{"-number_of_channels", "2"}, {"-form", "Transposed"},
                                        {"-resource_shared", "yes"}}, kSharedTransposed},
        {"shared transposed one channel", {{"-form", "Transposed"}, {"-resource_shared", "yes"}}, ""},
        {"shared direct channels", {{"-number_of_channels", "2"}, {"-resource_shared", "yes"}}, ""},
    });
}

TEST_F(ParametersTest, FirstFailingCheckWins) {
    // Every check fails at first; mending one at a time must reveal the checks in order.
    Overrides request = {
        {"-number_of_channels", "0"}, {"-obits", "3"},  {"-ofbits", "8"}, {"-ibits", "2"},   {"-ifbits", "12"},
        {"-cbits", "21"},             {"-trunc", "12"}, {"-fs", "9"},     {"-r_val", "0"},   {"-delay", "0"},
        {"-fs_flag", "no"},
    };
    const std::vector<std::pair<const char*, Overrides>> steps = {
        {kChannels, {{"-number_of_channels", "2"}}},
        {kObitsRange, {{"-obits", "8"}}},
        {kOfbitsBelowObits, {{"-ofbits", "7"}}},
        {kIbits, {{"-ibits", "12"}}},
        {kIfbits, {{"-ifbits", "11"}}},
        {kCbits, {{"-cbits", "12"}}},
        {kTrunc, {{"-trunc", "11"}}},
        {kRatio, {{"-fs", "4"}}},
        {kRollOff, {{"-r_val", "0.5"}}},
        {kDelay, {{"-delay", "64"}}},
        {kTaps, {{"-delay", "63"}}},
        {kFsFlag, {{"-fs_flag", "yes"}}},
    };
    for (const auto& [message, mend] : steps) {
        SCOPED_TRACE(message);
        EXPECT_EQ(message, Run(request));
        for (const auto& [name, value] : mend) request[name] = value;
    }
    EXPECT_EQ("", Run(request));
}

TEST_F(ParametersTest, OutputLengthTexts) {
    ExpectOutcomes({
        {"obits 12.0", {{"-obits", "12.0"}}, ""},
        {"obits 12.5", {{"-obits", "12.5"}}, kObitsInteger},
        {"obits nan", {{"-obits", "nan"}}, kObitsInteger},
        {"obits not a number", {{"-obits", "twelve"}}, kObitsInteger},
        {"obits trailing text", {{"-obits", "16abc"}}, kObitsInteger},
        {"obits hexadecimal", {{"-obits", "0x10"}}, kObitsInteger},
        {"obits leading zero is decimal", {{"-obits", "016"}}, ""},
        {"obits two elements", {{"-obits", "8 9"}}, kObitsOne},
        {"obits negative counts as auto", {{"-obits", "-2"}, {"-ofbits", "40"}}, ""},
        {"ofbits 3", {{"-obits", "8"}, {"-ofbits", "3"}}, ""},
        {"ofbits 3.0", {{"-obits", "8"}, {"-ofbits", "3.0"}}, kOfbitsInteger},
        {"ofbits 03", {{"-obits", "8"}, {"-ofbits", "03"}}, kOfbitsInteger},
        {"ofbits +3", {{"-obits", "8"}, {"-ofbits", "+3"}}, kOfbitsInteger},
        {"ofbits 5.0", {{"-obits", "8"}, {"-ofbits", "5.0"}}, kOfbitsInteger},
        {"ofbits 2.5", {{"-obits", "8"}, {"-ofbits", "2.5"}}, kOfbitsInteger},
        {"ofbits word", {{"-obits", "8"}, {"-ofbits", "three"}}, kOfbitsInteger},
        {"ofbits two elements", {{"-obits", "8"}, {"-ofbits", "1 2"}}, kOfbitsOne},
        {"ofbits -2 counts as auto", {{"-obits", "8"}, {"-ofbits", "-2"}}, ""},
        // The text rules come before every range check.
        {"ofbits text before channels", {{"-number_of_channels", "0"}, {"-ofbits", "3.0"}}, kOfbitsInteger},
    });
}

TEST_F(ParametersTest, OutputLengthsBeyond32BitsAreRefusedByTheirCheck) {
    ExpectOutcomes({
        {"obits 1e10", {{"-obits", "1e10"}}, kObitsInteger},
        {"obits inf", {{"-obits", "inf"}}, kObitsInteger},
        {"obits -1e12", {{"-obits", "-1e12"}}, kObitsInteger},
        {"obits 2^31", {{"-obits", "2147483648"}}, kObitsRange},
        {"obits -2^31-1", {{"-obits", "-2147483649"}}, kObitsRange},
        {"obits -2^31 is a negative int", {{"-obits", "-2147483648"}}, ""},
        {"ofbits 1e10", {{"-obits", "8"}, {"-ofbits", "1e10"}}, kOfbitsInteger},
        {"ofbits inf", {{"-obits", "8"}, {"-ofbits", "inf"}}, kOfbitsInteger},
        {"ofbits -1e12", {{"-obits", "8"}, {"-ofbits", "-1e12"}}, kOfbitsInteger},
        {"ofbits 2^31", {{"-obits", "8"}, {"-ofbits", "2147483648"}}, kOfbitsInteger},
        {"ofbits nan", {{"-obits", "8"}, {"-ofbits", "nan"}}, kOfbitsInteger},
        {"ofbits -2^31", {{"-obits", "8"}, {"-ofbits", "-2147483648"}}, ""},
    });
}

TEST_F(ParametersTest, TypedRequest) {
    ASSERT_EQ("", Run({{"-fs", "8"}, {"-fd", "2"}, {"-r_val", "0.25"}, {"-type", "sqrt"}, {"-delay", "5"},
                       {"-ibits", "12"}, {"-ifbits", "11"}, {"-cbits", "14"}, {"-trunc", "3"},
                       {"-form", "Transposed"}, {"-resource_shared", "yes"}, {"-number_of_channels", "1"},
                       {"-obits", "18"}, {"-ofbits", "auto"}, {"-no_mults", "yes"}, {"-fs_flag", "no"}}));
    const rcos::GenerateRequest& r = Request();
    EXPECT_EQ(8.0f, r.fs);
    EXPECT_EQ(2.0f, r.fd);
    EXPECT_EQ(0.25f, r.rollOff);
    EXPECT_EQ(rcos::Family::RootRaisedCosine, r.family);
    EXPECT_EQ(rcos::InputRate::SymbolRate, r.inputRate);
    EXPECT_EQ(5, r.delay);
    EXPECT_EQ(12, r.ibits);
    EXPECT_EQ(11, r.ifbits);
    EXPECT_EQ(14, r.cbits);
    EXPECT_EQ(3, r.trunc);
    EXPECT_EQ(fir::Form::Transposed, r.form);
    EXPECT_EQ(fir::Sharing::ResourceShared, r.sharing);
    EXPECT_EQ(1, r.channels);
    EXPECT_TRUE(r.multiplierFree);
    EXPECT_EQ(std::optional<int>(18), r.obits);
    EXPECT_EQ(std::nullopt, r.ofbits);
    EXPECT_EQ(4, r.ratio);
    EXPECT_EQ(41, r.taps);

    ASSERT_EQ("", Run({}));
    EXPECT_EQ(rcos::Family::RaisedCosine, Request().family);
    EXPECT_EQ(rcos::InputRate::SampleRate, Request().inputRate);
    EXPECT_EQ(fir::Form::Direct, Request().form);
    EXPECT_EQ(fir::Sharing::FullyParallel, Request().sharing);
    EXPECT_FALSE(Request().multiplierFree);
}

TEST_F(ParametersTest, AutomaticOutputLengths) {
    const std::optional<int> derived;
    const struct {
        const char* obits;
        const char* ofbits;
        std::optional<int> wantObits, wantOfbits;
    } cases[] = {
        {"auto", "auto", derived, derived}, {"auto", "5", derived, derived}, {"-2", "5", derived, derived},
        {"12", "auto", 12, derived},        {"12", "5", 12, 5},              {"12", "-3", 12, derived},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.obits << " / " << c.ofbits);
        ASSERT_EQ("", Run({{"-obits", c.obits}, {"-ofbits", c.ofbits}}));
        EXPECT_EQ(c.wantObits, Request().obits);
        EXPECT_EQ(c.wantOfbits, Request().ofbits);
    }
}

TEST_F(ParametersTest, NothingCarriesOverBetweenRequests) {
    ASSERT_EQ("", Run({{"-number_of_channels", "2"}, {"-delay", "10"}}));
    EXPECT_EQ(81, Request().taps);
    // A request without the switch reads it afresh (as nothing), and the last request is gone.
    EXPECT_EQ(kChannels, Run({{"-number_of_channels", std::nullopt}}));
    EXPECT_EQ(nullptr, design->Request());
    EXPECT_EQ(nullptr, design->Design());
    EXPECT_EQ(kRatio, Run({{"-fd", std::nullopt}}));
    EXPECT_EQ(kIbits, Run({{"-ibits", std::nullopt}}));
}

TEST_F(ParametersTest, HugeDelaysAndChannelCountsAreRefusedWithoutOverflow) {
    ExpectOutcomes({
        {"delay 2^31-1", {{"-delay", "2147483647"}}, kTaps},
        {"delay 2^30", {{"-delay", "1073741824"}}, kTaps},
        {"delay 2^28 ratio 8", {{"-delay", "268435456"}, {"-fs", "8"}}, kTaps},
        {"largest channel count, largest core", {{"-delay", "63"}, {"-number_of_channels", "1024"}}, ""},
        {"one channel more", {{"-delay", "63"}, {"-number_of_channels", "1025"}}, kTooManyChannels},
        {"channels 2^31-1", {{"-number_of_channels", "2147483647"}}, kTooManyChannels},
        {"before the word-length checks", {{"-number_of_channels", "1025"}, {"-ibits", "2"}}, kTooManyChannels},
        {"before the symbol-rate check", {{"-number_of_channels", "2147483647"}, {"-fs_flag", "no"}}, kTooManyChannels},
    });
}

TEST_F(ParametersTest, RatesThatAreNotPositiveNumbersAreRefused) {
    ExpectOutcomes({
        {"fs nan", {{"-fs", "nan"}}, kRatio},
        {"fs inf", {{"-fs", "inf"}}, kRatio},
        {"fs -inf", {{"-fs", "-inf"}}, kRatio},
        {"fd nan", {{"-fd", "nan"}}, kRatio},
        {"fd inf", {{"-fd", "inf"}}, kRatio},
        {"fd 0", {{"-fd", "0"}}, kRatio},
        {"fs and fd 0", {{"-fs", "0"}, {"-fd", "0"}}, kRatio},
        {"fs and fd inf", {{"-fs", "inf"}, {"-fd", "inf"}}, kRatio},
        {"fs negative", {{"-fs", "-4"}}, kRatio},
        {"fd negative", {{"-fs", "4"}, {"-fd", "-1"}}, kRatio},
        {"both negative", {{"-fs", "-4"}, {"-fd", "-1"}}, kRatio},
        {"fd tiny", {{"-fd", "1e-45"}}, kRatio},
        {"R nan", {{"-r_val", "nan"}}, kRollOff},
        {"R inf", {{"-r_val", "inf"}}, kRollOff},
        {"R negative", {{"-r_val", "-0.5"}}, kRollOff},
    });
}

TEST_F(ParametersTest, RatesInRealUnits) {
    const struct {
        const char* fs;
        const char* fd;
        const char* delay;
        const char* message;
        int ratio, taps;
    } cases[] = {
        {"3000", "1000", "3", "", 3, 19},
        {"5000", "1000", "51", "", 5, 511},
        {"7000", "1000", "36", "", 7, 505},
        {"0.3", "0.1", "3", "", 3, 19},
        {"48000", "12000", "3", "", 4, 25},
        {"8e6", "1e6", "31", "", 8, 497},
        {"3000", "1000", "85", "", 3, 511},
        {"3000", "1000", "86", kTaps, 0, 0},
        {"3001", "1000", "3", kRatio, 0, 0},
        {"9000", "1000", "3", kRatio, 0, 0},
        {"1000", "1000", "3", kRatio, 0, 0},
        {"2999.9", "1000", "3", kRatio, 0, 0},
        // Binary-fraction divisors are exact and decide exactly as before.
        {"3.0000002", "1", "3", kRatio, 0, 0},
        {"6", "2", "3", "", 3, 19},
        {"1.5", "0.5", "3", "", 3, 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "-fs " << c.fs << " -fd " << c.fd << " -delay " << c.delay);
        EXPECT_EQ(c.message, Run({{"-fs", c.fs}, {"-fd", c.fd}, {"-delay", c.delay}}));
        const rcos::GenerateRequest* request = design->Request();
        EXPECT_EQ(c.ratio, request != nullptr ? request->ratio : 0);
        EXPECT_EQ(c.taps, request != nullptr ? request->taps : 0);
    }
}

}  // namespace
