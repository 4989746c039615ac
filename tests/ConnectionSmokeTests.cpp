#include "support/SimTestSupport.h"

using ConnectionSmoke = SimulatedDeviceFixture;

TEST_F (ConnectionSmoke, HostCoreIdentityLeadsToTheFullRead)
{
    SimulatedProduct::Config config;
    config.productCode = productJorvek;
    config.hostFirmware = { 4, 5 };
    config.deviceFirmware = { 7, 1 };
    auto product = addProduct (config);

    device().setProductCode (productJorvek);
    ASSERT_TRUE (openPorts (*product));
    device().requestIdentity();

    ASSERT_TRUE (pumpUntil ([this] { return ui.lastStatus() == "-" && device().waitingForReply == 0; }, 5000));
    EXPECT_EQ (device().productName, "Jorvek Pro");
    EXPECT_EQ (device().readCompleteSent, 1);
    EXPECT_EQ (device().getFirstPendingKind(), 0xFF);
}
