// Event parameters, handler order and fall-through. Propagation from a control to its window is
// met by the dialog tests, whose hits reach a window handler.
#include <string>
#include <vector>

#include "tests/desktop/DisplayFixture.h"

namespace {

const UInt32 kTestClass = FourCC("tEST");
using Calls = std::vector<std::string>;

EventRef NewEvent(UInt32 kind)
{
    EventRef e = nullptr;
    EXPECT_EQ(CreateEvent(nullptr, kTestClass, kind, 0, kEventAttributeNone, &e), noErr);
    return e;
}

// A handler that logs its name and answers `result`.
Handler Logs(Calls& log, const char* name, const OSStatus& result)
{
    return [&log, name, &result](EventHandlerCallRef, EventRef) {
        log.push_back(name);
        return result;
    };
}

const OSStatus kTaken = noErr, kPassed = eventNotHandledErr;

}  // namespace

TEST(EventParameters, MissingOrShortBufferFail)
{
    EventRef e = NewEvent(1);
    UInt32 mods = shiftKey | cmdKey;
    UInt16 small = 0;
    ByteCount size = 0;
    ASSERT_EQ(SetEventParameter(e, kEventParamKeyModifiers, typeUInt32, sizeof mods, &mods), noErr);
    auto get = [&](EventParamName n, EventParamType t, ByteCount room, void* out) {
        return GetEventParameter(e, n, t, nullptr, room, &size, out);
    };
    EXPECT_EQ(get(kEventParamDirectObject, typeControlRef, 8, &mods), eventParameterNotFoundErr);
    EXPECT_EQ(get(kEventParamKeyModifiers, typeUInt32, 2, &small), paramErr);
    EXPECT_EQ(size, sizeof(UInt32));
    ReleaseEvent(e);
}

TEST(EventDispatch, LatestHandlerRunsFirstNotHandledFallsThroughAndRemovalDuringDispatchIsSafe)
{
    Calls log;
    OSStatus thirdSays = kPassed;
    Handler first = Logs(log, "first", kTaken), second = Logs(log, "second", kPassed),
            third = Logs(log, "third", thirdSays);
    EventTypeSpec kind1{kTestClass, 1}, kind2{kTestClass, 2};
    EventHandlerRef h1, h2, h3;
    EventTargetRef app = GetApplicationEventTarget();
    ASSERT_EQ(InstallEventHandler(app, HandlerFn, 1, &kind1, &first, &h1), noErr);
    ASSERT_EQ(InstallEventHandler(app, HandlerFn, 1, &kind1, &second, &h2), noErr);
    ASSERT_EQ(InstallEventHandler(app, HandlerFn, 1, &kind1, &third, &h3), noErr);
    EventRef e = NewEvent(1), other = NewEvent(2);
    auto send = [&](EventRef ev) {
        log.clear();
        return SendEventToEventTarget(ev, app);
    };
    EXPECT_EQ(send(e), noErr);
    EXPECT_EQ(log, (Calls{"third", "second", "first"}));
    RemoveEventHandler(h1);  // without the one that takes it, the event comes back not handled
    EXPECT_EQ(send(e), eventNotHandledErr);
    EXPECT_EQ(log, (Calls{"third", "second"}));
    thirdSays = kTaken;  // taking the event stops the chain
    EXPECT_EQ(send(e), noErr);
    EXPECT_EQ(log, (Calls{"third"}));
    EXPECT_EQ(send(other), eventNotHandledErr);  // other kinds reach nobody until asked for
    EXPECT_TRUE(log.empty());
    AddEventTypesToHandler(h2, 1, &kind2);
    EXPECT_EQ(send(other), eventNotHandledErr);
    EXPECT_EQ(log, (Calls{"second"}));
    RemoveEventHandler(h3);

    // Removing a handler further down while dispatching is safe: it no longer runs.
    EventHandlerRef hr;
    Handler remover = [&](EventHandlerCallRef, EventRef) {
        log.push_back("remover");
        RemoveEventHandler(h2);
        return kPassed;
    };
    InstallEventHandler(app, HandlerFn, 1, &kind2, &remover, &hr);
    EXPECT_EQ(send(other), eventNotHandledErr);
    EXPECT_EQ(log, (Calls{"remover"}));
    RemoveEventHandler(hr);
    ReleaseEvent(e);
    ReleaseEvent(other);
}
