#include "config/StandardConfig.h"

namespace k71t {

void loadStandardConfiguration(RegisterImage &image)
{
    for (int r = 4000; r <= 4059; ++r)
        image.reg16(r) = 0;
    image.reg16(4003) = 1;    // measurement time 1 s
    image.reg16(4008) = 1;    // individual characteristic off
    image.reg16(4009) = 3;    // display format 0000.0
    image.reg16(4010) = 1;    // lower band green
    image.reg16(4011) = 2;    // middle band yellow
    image.reg16(4012) = 0;    // upper band red
    for (int k = 0; k < 4; ++k)
        image.reg16(4014 + 4 * k) = 5; // alarm always off
    image.reg16(4031) = 1;    // additional interface 9600 baud
    image.reg16(4032) = 0;    // 8N2
    image.reg16(4033) = 1;    // meter address
    image.reg16(4035) = 1;    // primary interface 9600 baud
    image.reg16(4036) = 0;    // 8N2
    image.reg16(4037) = 500;  // device answer time [ms]
    image.reg16(4041) = 101;  // 1 January
    image.reg16(4042) = 2009;
    image.reg16(4043) = 1;    // summer/winter time change on

    static const std::uint16_t device[8] = {0, 7505, 1, 6, 1, 0, 1, 0};
    for (int d = 0; d < 10; ++d)
        for (int k = 0; k < 8; ++k)
            image.reg16(4300 + 8 * d + k) = device[k];

    image.reg32(7600) = 50.0f;
    image.reg32(7601) = 80.0f;
    image.reg32(7602) = -19999.0f;
    image.reg32(7603) = 99999.0f;
    for (int k = 0; k < 4; ++k) {
        image.reg32(7604 + 2 * k) = 100.0f;
        image.reg32(7605 + 2 * k) = 200.0f;
    }
    image.reg32(7612) = 0.0f;
    image.reg32(7613) = 99999.0f;
    static const float unused[8] = {100.0f, 0.1f, 0.1f, 99999.0f, 1.0f, 0.1f, 0.1f, 99999.0f};
    for (int i = 0; i < 8; ++i)
        image.reg32(7614 + i) = unused[i];
    for (int i = 0; i <= 20; ++i) {
        image.reg32(7622 + 2 * i) = 100.0f * i;
        image.reg32(7623 + 2 * i) = 100.0f * i;
    }
    for (int d = 0; d < 10; ++d) {
        image.reg32(7664 + 2 * d) = 100.0f;
        image.reg32(7665 + 2 * d) = 200.0f;
    }
    for (int r = 7684; r <= 7689; ++r)
        image.reg32(r) = 0.0f;
}

} // namespace k71t
