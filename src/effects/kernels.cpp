// kernels.cpp - the plain loops as a table, and the choice between the widths.
#include "effects/kernels.h"

const EffectKernels plainEffectKernels = {
    .perspectiveTunnel = PerspectiveTunnelPlain,
    .swirlRowSlopes = SwirlRowSlopesPlain,
    .plasmaBlendRow = PlasmaBlendRowPlain,
    .plasmaBlendPixels = PlasmaBlendPixelsPlain,
    .plasmaShadeRow = PlasmaShadeRowPlain,
    .darken = DarkenPixelsPlain,
    .addDarkened = AddDarkenedPixelsPlain,
    .pairRun = PairRunPlain,
    .glowStamp = GlowStampPlain,
};

namespace {

constinit const KernelTables<EffectKernels> effectKernels(&plainEffectKernels,
#if TAVRINE_BASELINE_VECTORS
                                                          &baselineEffectKernels,
#else
                                                          nullptr,
#endif
#if TAVRINE_WIDE_VECTORS
                                                          &wideEffectKernels
#else
                                                          nullptr
#endif
);

}  // namespace

const EffectKernels& UsableEffectKernels() { return effectKernels.Usable(); }
