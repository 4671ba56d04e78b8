#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace varnelle {
namespace {

const QSize kComponents(351, 297);

struct ClientCase {
  const char* what;
  QMargins frame;
  QSize client;
};

TEST(WindowClientSizeTest, IsTheOuterSizeLessTheFrame) {
  const std::vector<ClientCase> cases = {
      {"no window manager", {}, {360, 334}},
      {"thin frame, caption bar", {3, 25, 3, 3}, {354, 306}},
      {"title bar only", {0, 37, 0, 0}, {360, 297}},
      {"frame too thick for the components", {10, 60, 10, 10}, {351, 297}},
  };
  for (const ClientCase& c : cases)
    EXPECT_EQ(client_size(kWindowOuterSize, c.frame, kComponents), c.client) << c.what;
}

struct CentreCase {
  const char* what;
  QRect available;
  QPoint top_left;
};

TEST(WindowCentredPositionTest, CentresTheOuterFrame) {
  const std::vector<CentreCase> cases = {
      {"full hd", {0, 0, 1920, 1080}, {780, 373}},
      {"odd size truncates", {0, 0, 1025, 769}, {332, 217}},
      {"panel on top, second screen", {1920, 32, 1280, 992}, {2380, 361}},
      {"screen smaller than the window", {0, 0, 320, 240}, {0, 0}},
  };
  for (const CentreCase& c : cases)
    EXPECT_EQ(centred_position(c.available, kWindowOuterSize), c.top_left) << c.what;
}

}  // namespace
}  // namespace varnelle
