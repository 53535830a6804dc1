// kernels.cpp - the plain loops as a table, and the choice between the widths.
#include "effects/kernels.h"

const EffectKernels plainEffectKernels = {
    .perspectiveTunnel = PerspectiveTunnelPlain,
    .swirlTable = SwirlTablePlain,
    .swirlPixels = SwirlPixelsPlain,
    .plasmaBlendRow = PlasmaBlendRowPlain,
    .plasmaBlendPixels = PlasmaBlendPixelsPlain,
    .plasmaShadeRow = PlasmaShadeRowPlain,
    .darken = DarkenPixelsPlain,
    .addDarkened = AddDarkenedPixelsPlain,
    .handOverRow = HandOverRowPlain,
    .pairRun = PairRunPlain,
    .glowStamp = GlowStampPlain,
};

namespace {

constinit const KernelTables<EffectKernels> effectKernels(&plainEffectKernels, BASELINE_KERNELS(baselineEffectKernels),
                                                          WIDE_KERNELS(wideEffectKernels));

}  // namespace

const EffectKernels& UsableEffectKernels() { return effectKernels.Usable(); }
