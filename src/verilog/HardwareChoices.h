// How a core's hardware is built where the arithmetic leaves a choice: the products by constant
// coefficients, the multipliers a resource-shared core works with, and the stream interface.
// None of them changes a single output bit; they change cost, clock rate, K and latency.
#pragma once

namespace fir {

enum class ProductStyle { Multiplier, ShiftAdd };
enum class StreamInterface { Plain, Axis };

struct HardwareChoices {
    ProductStyle products = ProductStyle::Multiplier;
    int multipliers = 1;  // resource-shared cores: products computed side by side
    StreamInterface stream = StreamInterface::Plain;
};

}  // namespace fir
