#include "platform/com.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace varnelle::platform {
namespace {

constexpr char kProgId[] = "Varnelle.Test.Marker";

class Marker : public AutomationObject {
 public:
  explicit Marker(int id) : id_(id) {}
  CallOutcome Id() const { return call_ok(Variant(std::int32_t{id_})); }

 private:
  int id_;
};

ClassFactory marker_factory(int id) {
  return [id] { return std::make_shared<Marker>(id); };
}

int created_id(const ComObject& holder) {
  return static_cast<int>(holder.call<Marker>([](Marker& m) { return m.Id(); }).number());
}

// Each test starts and ends with COM not initialised on this thread and the test class removed.
class ComTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(com_init_count(), 0); }
  void TearDown() override {
    while (com_init_count() > 0) CoUninitialize();
    unregister_class(kProgId);
  }
};

TEST_F(ComTest, InitialisationNestsAndUnwinds) {
  EXPECT_EQ(CoInitialize(), S_OK);
  EXPECT_EQ(CoInitialize(), S_FALSE);
  EXPECT_EQ(com_init_count(), 2);
  CoUninitialize();
  CoUninitialize();
  CoUninitialize();  // one too many: nothing to undo
  EXPECT_EQ(com_init_count(), 0);
  EXPECT_EQ(CoInitialize(), S_OK);
}

TEST_F(ComTest, CreatesRegisteredClassOnlyAfterInitialisation) {
  register_class(kProgId, marker_factory(1));
  ComObject holder;
  EXPECT_FALSE(create_object(kProgId, holder));
  EXPECT_TRUE(holder.empty());

  CoInitialize();
  ASSERT_TRUE(create_object(kProgId, holder));
  EXPECT_EQ(created_id(holder), 1);
}

TEST_F(ComTest, FailedCreationEmptiesTheHolder) {
  CoInitialize();
  register_class(kProgId, marker_factory(1));
  ComObject holder;
  ASSERT_TRUE(create_object(kProgId, holder));

  EXPECT_FALSE(create_object("Varnelle.Test.Unknown", holder));
  EXPECT_TRUE(holder.empty());

  register_class(kProgId, [] { return std::shared_ptr<AutomationObject>(); });
  EXPECT_FALSE(create_object(kProgId, holder));
  EXPECT_TRUE(holder.empty());

  register_class(kProgId, []() -> std::shared_ptr<AutomationObject> {
    throw std::runtime_error("cannot create");
  });
  EXPECT_FALSE(create_object(kProgId, holder));
  EXPECT_TRUE(holder.empty());
}

TEST_F(ComTest, RegisterReplaceAndRemoveAClass) {
  CoInitialize();
  EXPECT_FALSE(register_class(kProgId, marker_factory(1)));

  ClassFactory replaced = register_class(kProgId, marker_factory(2));
  ASSERT_TRUE(replaced);
  EXPECT_EQ(created_id(ComObject(replaced())), 1);
  ComObject holder;
  ASSERT_TRUE(create_object(kProgId, holder));
  EXPECT_EQ(created_id(holder), 2);

  EXPECT_TRUE(unregister_class(kProgId));
  EXPECT_FALSE(create_object(kProgId, holder));
  EXPECT_FALSE(unregister_class(kProgId));
}

TEST_F(ComTest, InitialisationIsPerThread) {
  register_class(kProgId, marker_factory(1));
  CoInitialize();
  int other_count = -1;
  bool other_created = true;
  std::thread other([&] {
    other_count = com_init_count();
    ComObject holder;
    other_created = create_object(kProgId, holder);
    CoInitialize();
    CoInitialize();
  });
  other.join();
  EXPECT_EQ(other_count, 0);
  EXPECT_FALSE(other_created);
  EXPECT_EQ(com_init_count(), 1);  // the other thread's initialisations are its own
}

}  // namespace
}  // namespace varnelle::platform
