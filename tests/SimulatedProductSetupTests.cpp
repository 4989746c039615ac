#include <gtest/gtest.h>
#include "sim/SimulatedProduct.h"

/* A setup given to the simulated product before the tool reads it, written as the lines of its
   log of applied writes. */

namespace
{
    SimulatedProduct::Config jorvek()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        return config;
    }
}

TEST (SimulatedProductSetup, LogLinesAreReadBack)
{
    const SimulatedProduct::AppliedWrite write { 2, kindMapper, 5, { 0x7F007F00, 1, 0x00F00F0F, 0x5A000187, 0, 0xFFFFFFFF } };
    const auto line = SimulatedProduct::describe (write);

    SimulatedProduct::AppliedWrite read;
    ASSERT_TRUE (SimulatedProduct::parseWrite (line, read)) << line;
    EXPECT_EQ (read.preset, 2);
    EXPECT_EQ (read.kind, kindMapper);
    EXPECT_EQ (read.item, 5);
    EXPECT_EQ (read.values, write.values);
    EXPECT_EQ (SimulatedProduct::describe (read), line);

    for (auto bad : { "", "preset 0 kind 1 item 2", "preset 0 kind 1 item 2:", "preset 0 kind 1: 0x1",
                      "preset 0 kind 1 item 2: 17", "# preset 0 kind 1 item 2: 0x1" })
        EXPECT_FALSE (SimulatedProduct::parseWrite (bad, read)) << bad;
}

TEST (SimulatedProductSetup, StoredWritesGoToTheirPresetUnlogged)
{
    SimulatedProduct product (jorvek());

    product.storeWrite ({ 3, kindChannelFilter, 16, { 0x8001 } });
    product.storeWrite ({ 0, kindRouter, 16, { 0x00060000 } });
    product.storeWrite ({ 0, kindRouter, 30, { 0xFFFFFFFF } });      // the Jorvek has 30 router rows
    product.storeWrite ({ 6, kindRouter, 0, { 0xFFFFFFFF } });       // and 6 presets
    product.storeWrite ({ 0, kindMapper, 0, { 1, 2 } });              // too few values

    const auto settings = product.getSettings();
    EXPECT_EQ (settings.filterChannels[3][16], 0x8001);
    EXPECT_EQ (settings.filterChannels[0][16], 0);
    EXPECT_EQ (settings.routerMasks[0][16], 0x00060000u);
    EXPECT_EQ (settings.routerMasks[0][30], product.getDefaultSettings().routerMasks[0][30]);
    EXPECT_EQ (settings.routerMasks[6][0], product.getDefaultSettings().routerMasks[6][0]);
    EXPECT_EQ (settings.mappers[0][0].cfg1, product.getDefaultSettings().mappers[0][0].cfg1);
    EXPECT_EQ (product.getCurrentPreset(), 0);
    EXPECT_TRUE (product.getAppliedWrites().isEmpty());
}
