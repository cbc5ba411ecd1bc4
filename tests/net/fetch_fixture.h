// Shared by the fetcher tests: limits small enough that a failing case ends quickly.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/fetch.h"
#include "net/fetch_internal.h"
#include "text/text.h"
#include "tools/loopback_server/loopback_server.h"

namespace velmora::net {

class FetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fetch_limits();
    FetchLimits quick = saved_;
    quick.connect_timeout = std::chrono::milliseconds(2000);
    quick.stall_timeout = std::chrono::milliseconds(400);
    quick.total_timeout = std::chrono::milliseconds(10000);
    set_fetch_limits(quick);
    // "Unresolvable" hosts fail here, without a query to the machine's name server.
    internal::refuse_name_lookups(true);
  }
  void TearDown() override {
    internal::refuse_name_lookups(false);
    set_fetch_limits(saved_);
  }

  static std::string as_string(const text::ByteSet& bytes) {
    return std::string(bytes.begin(), bytes.end());
  }

  // A port on which nothing listens (a server's port, once it has stopped).
  static std::uint16_t closed_port() {
    loopback::LoopbackServer probe(loopback::serve_raw(""));
    return probe.port();
  }

 private:
  FetchLimits saved_;
};

}  // namespace velmora::net
