// libffi closures as plain function pointers that deliver their object.
#include "extension/MethodCallback.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

using namespace orvexa;

namespace {
struct Counter {
    int calls = 0;
    std::intptr_t last = 0;
};

void* Add(void* object, void* a, void* b) {
    auto* counter = static_cast<Counter*>(object);
    ++counter->calls;
    counter->last = reinterpret_cast<std::intptr_t>(a) + reinterpret_cast<std::intptr_t>(b);
    return reinterpret_cast<void*>(counter->last);
}

void* Alone(void* object) { return object; }

void* Sum30(void* object, void* a1, void* a2, void* a3, void* a4, void* a5, void* a6, void* a7, void* a8, void* a9,
            void* a10, void* a11, void* a12, void* a13, void* a14, void* a15, void* a16, void* a17, void* a18,
            void* a19, void* a20, void* a21, void* a22, void* a23, void* a24, void* a25, void* a26, void* a27,
            void* a28, void* a29, void* a30) {
    void* all[] = {a1,  a2,  a3,  a4,  a5,  a6,  a7,  a8,  a9,  a10, a11, a12, a13, a14, a15,
                   a16, a17, a18, a19, a20, a21, a22, a23, a24, a25, a26, a27, a28, a29, a30};
    std::intptr_t sum = 0;
    for (int i = 0; i < 30; ++i)
        sum += reinterpret_cast<std::intptr_t>(all[i]) * (i + 1);
    return reinterpret_cast<void*>(sum + reinterpret_cast<std::intptr_t>(object));
}

template <typename F>
F As(void* p) {
    return reinterpret_cast<F>(p);
}
}  // namespace

TEST(MethodCallback, EachCallbackDeliversItsOwnObject) {
    Counter one, two;
    using Fn = void* (*)(void*, void*);
    auto f1 = As<Fn>(MakeObjectCallback(&one, reinterpret_cast<void*>(&Add), 2, TCallbackConvention::ccCDecl));
    auto f2 = As<Fn>(MakeMethodCallback({reinterpret_cast<void*>(&Add), &two}, 2, TCallbackConvention::ccStdCall));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(f1(reinterpret_cast<void*>(2), reinterpret_cast<void*>(3))), 5);
    f2(reinterpret_cast<void*>(10), reinterpret_cast<void*>(20));
    f2(reinterpret_cast<void*>(1), reinterpret_cast<void*>(1));
    EXPECT_EQ(one.calls, 1);
    EXPECT_EQ(two.calls, 2);
    EXPECT_EQ(two.last, 2);
}

TEST(MethodCallback, ArgumentCountsFromZeroToThirty) {
    int token = 0;
    using Fn0 = void* (*)();
    auto f0 = As<Fn0>(MakeObjectCallback(&token, reinterpret_cast<void*>(&Alone), 0, TCallbackConvention::ccCDecl));
    EXPECT_EQ(f0(), &token);

    using Fn30 = void* (*)(void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*,
                           void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*, void*,
                           void*, void*, void*, void*);
    auto f30 = As<Fn30>(MakeObjectCallback(reinterpret_cast<void*>(1000), reinterpret_cast<void*>(&Sum30), 30,
                                           TCallbackConvention::ccCDecl));
    auto p = [](std::intptr_t v) { return reinterpret_cast<void*>(v); };
    // Argument i carries i, weighted by i: the sum of squares 1..30 is 9455.
    void* r = f30(p(1), p(2), p(3), p(4), p(5), p(6), p(7), p(8), p(9), p(10), p(11), p(12), p(13), p(14), p(15), p(16),
                  p(17), p(18), p(19), p(20), p(21), p(22), p(23), p(24), p(25), p(26), p(27), p(28), p(29), p(30));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(r), 9455 + 1000);

    EXPECT_THROW(MakeObjectCallback(&token, reinterpret_cast<void*>(&Alone), 31, TCallbackConvention::ccCDecl),
                 std::invalid_argument);
    EXPECT_THROW(MakeObjectCallback(&token, reinterpret_cast<void*>(&Alone), -1, TCallbackConvention::ccCDecl),
                 std::invalid_argument);
}

TEST(MethodCallback, RegistryHoldsEveryCallbackUntilReleased) {
    ReleaseAllCallbacks();
    int token = 0;
    for (int i = 0; i < 5; ++i)
        MakeObjectCallback(&token, reinterpret_cast<void*>(&Alone), 0, TCallbackConvention::ccCDecl);
    EXPECT_EQ(CallbackCount(), 5u);
    ReleaseAllCallbacks();
    EXPECT_EQ(CallbackCount(), 0u);
}
