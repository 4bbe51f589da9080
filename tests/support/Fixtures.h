// The dynamic-disk images written by Windows, unpacked by the build, and the
// facts an independent reader decoded from them. Tests that need them skip
// when they are absent.
#ifndef STRATA_TESTS_SUPPORT_FIXTURES_H
#define STRATA_TESTS_SUPPORT_FIXTURES_H

#include "collect/DeviceMap.h"

#include <gtest/gtest.h>
#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace strata_test {

// The folder holding the unpacked images and the facts file.
std::string FixtureDir();
// True when the images and the facts file are there.
bool FixturesPresent();
// The full path of one image of the folder.
std::string FixtureImage(const std::string& name);
// The image file names the facts list, in their order.
std::vector<std::string> FixtureImageNames();
// Every image as a drive, named by its file name.
strata_col::DeviceMap FixtureDevices();
// The parsed facts file (null when absent).
const nlohmann::json& FixtureFacts();

}  // namespace strata_test

#define STRATA_REQUIRE_FIXTURES()                                                  \
    do {                                                                           \
        if (!strata_test::FixturesPresent()) {                                     \
            GTEST_SKIP() << "dynamic-disk fixture images not present in "          \
                         << strata_test::FixtureDir();                             \
        }                                                                          \
    } while (0)

#endif
