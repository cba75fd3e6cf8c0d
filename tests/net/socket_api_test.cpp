// SPDX-License-Identifier: GPL-3.0-or-later
// The system socket layer's host lookup, on names this machine answers itself.
#include "net/socket_api.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

TEST(SocketApi, LooksUpTheLocalHostName) {
    in_addr address{};
    ASSERT_EQ(SystemSocketApi().LookupIPv4("localhost", address, 5000), 0);
    EXPECT_EQ(ntohl(address.s_addr), INADDR_LOOPBACK);
}

TEST(SocketApi, ANumericAddressNeedsNoServer) {
    in_addr address{};
    ASSERT_EQ(SystemSocketApi().LookupIPv4("127.0.0.7", address, 0), 0);
    EXPECT_EQ(ntohl(address.s_addr), 0x7F000007u);
}

}  // namespace
