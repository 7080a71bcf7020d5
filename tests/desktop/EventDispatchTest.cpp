// Event objects, typed parameters, handler order, fall-through and propagation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/desktop/DisplayFixture.h"

namespace {

const UInt32 kTestClass = FourCC("tEST");

struct Log {
    std::vector<std::string> calls;
};

struct HandlerSpec {
    Log* log;
    const char* name;
    OSStatus result;
};

OSStatus Record(EventHandlerCallRef, EventRef, void* user)
{
    auto* h = static_cast<HandlerSpec*>(user);
    h->log->calls.push_back(h->name);
    return h->result;
}

EventRef NewEvent(UInt32 kind)
{
    EventRef e = nullptr;
    EXPECT_EQ(CreateEvent(nullptr, kTestClass, kind, 0, kEventAttributeNone, &e), noErr);
    return e;
}

}  // namespace

TEST(EventParameters, TypedValuesConvertAndMissingWrongTypeOrShortBufferFail)
{
    EventRef e = NewEvent(1);
    const HIPoint p{12.75f, 40.25f};
    ASSERT_EQ(SetEventParameter(e, kEventParamMouseLocation, typeHIPoint, sizeof p, &p), noErr);
    UInt32 mods = shiftKey, small16 = 0;
    SetEventParameter(e, kEventParamKeyModifiers, typeUInt32, sizeof mods, &mods);
    mods = shiftKey | cmdKey;  // setting again replaces the value
    SetEventParameter(e, kEventParamKeyModifiers, typeUInt32, sizeof mods, &mods);

    Point q{};
    EXPECT_EQ(GetEventParameter(e, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof q, nullptr, &q), noErr);
    EXPECT_EQ(q.h, 12);
    EXPECT_EQ(q.v, 40);
    SInt32 asSigned = 0;
    EventParamType actual = 0;
    ByteCount size = 0;
    EXPECT_EQ(GetEventParameter(e, kEventParamKeyModifiers, typeSInt32, nullptr, sizeof asSigned, nullptr, &asSigned),
              noErr);
    EXPECT_EQ(UInt32(asSigned), shiftKey | cmdKey);
    EXPECT_EQ(GetEventParameter(e, kEventParamKeyModifiers, typeWildCard, &actual, sizeof mods, nullptr, &mods), noErr);
    EXPECT_EQ(actual, typeUInt32);

    EXPECT_EQ(GetEventParameter(e, kEventParamDirectObject, typeControlRef, nullptr, 8, nullptr, &mods),
              eventParameterNotFoundErr);
    EXPECT_EQ(GetEventParameter(e, kEventParamKeyModifiers, typeHIPoint, nullptr, 8, nullptr, &mods), errAECoercionFail);
    EXPECT_EQ(GetEventParameter(e, kEventParamKeyModifiers, typeUInt32, nullptr, 2, &size, &small16), paramErr);
    EXPECT_EQ(size, sizeof(UInt32));
    ReleaseEvent(e);
}

TEST(EventDispatch, LatestHandlerRunsFirstAndNotHandledFallsThrough)
{
    Log log;
    HandlerSpec first{&log, "first", noErr}, second{&log, "second", eventNotHandledErr},
        third{&log, "third", eventNotHandledErr};
    EventTypeSpec kind1{kTestClass, 1};
    EventHandlerRef h1, h2, h3;
    EventTargetRef app = GetApplicationEventTarget();
    ASSERT_EQ(InstallEventHandler(app, Record, 1, &kind1, &first, &h1), noErr);
    ASSERT_EQ(InstallEventHandler(app, Record, 1, &kind1, &second, &h2), noErr);
    ASSERT_EQ(InstallEventHandler(app, Record, 1, &kind1, &third, &h3), noErr);

    EventRef e = NewEvent(1);
    EXPECT_EQ(SendEventToEventTarget(e, app), noErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"third", "second", "first"}));

    // Without the handler that takes it, the event comes back not handled.
    log.calls.clear();
    RemoveEventHandler(h1);
    EXPECT_EQ(SendEventToEventTarget(e, app), eventNotHandledErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"third", "second"}));

    // A handler that takes the event stops the chain.
    log.calls.clear();
    third.result = noErr;
    EXPECT_EQ(SendEventToEventTarget(e, app), noErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"third"}));

    // Other kinds reach nobody until a handler asks for them.
    log.calls.clear();
    EventRef other = NewEvent(2);
    EXPECT_EQ(SendEventToEventTarget(other, app), eventNotHandledErr);
    EXPECT_TRUE(log.calls.empty());
    EventTypeSpec kind2{kTestClass, 2};
    AddEventTypesToHandler(h2, 1, &kind2);
    EXPECT_EQ(SendEventToEventTarget(other, app), eventNotHandledErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"second"}));

    RemoveEventHandler(h2);
    RemoveEventHandler(h3);
    EXPECT_EQ(RemoveEventHandler(h3), paramErr);
    ReleaseEvent(e);
    ReleaseEvent(other);
}

namespace {
struct NextSpec {
    Log* log;
    OSStatus nextResult = 0;
};
OSStatus CallsNext(EventHandlerCallRef call, EventRef e, void* user)
{
    auto* s = static_cast<NextSpec*>(user);
    s->log->calls.push_back("outer-before");
    s->nextResult = CallNextEventHandler(call, e);
    s->log->calls.push_back("outer-after");
    return eventNotHandledErr;  // the rest already ran: they must not run twice
}
struct RemoverSpec {
    Log* log;
    EventHandlerRef victim;
};
OSStatus RemovesOther(EventHandlerCallRef, EventRef, void* user)
{
    auto* s = static_cast<RemoverSpec*>(user);
    s->log->calls.push_back("remover");
    RemoveEventHandler(s->victim);
    return eventNotHandledErr;
}
}  // namespace

TEST(EventDispatch, CallNextRunsTheRestOnceAndRemovalDuringDispatchIsSafe)
{
    Log log;
    EventTypeSpec kind{kTestClass, 3};
    EventTargetRef app = GetApplicationEventTarget();
    HandlerSpec bottom{&log, "bottom", noErr};
    EventHandlerRef hb, hn;
    InstallEventHandler(app, Record, 1, &kind, &bottom, &hb);
    NextSpec next{&log};
    InstallEventHandler(app, CallsNext, 1, &kind, &next, &hn);
    EventRef e = NewEvent(3);
    EXPECT_EQ(SendEventToEventTarget(e, app), eventNotHandledErr);
    EXPECT_EQ(next.nextResult, noErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"outer-before", "bottom", "outer-after"}));
    RemoveEventHandler(hn);

    log.calls.clear();
    RemoverSpec remover{&log, hb};
    EventHandlerRef hr;
    InstallEventHandler(app, RemovesOther, 1, &kind, &remover, &hr);
    EXPECT_EQ(SendEventToEventTarget(e, app), eventNotHandledErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"remover"}));
    RemoveEventHandler(hr);
    ReleaseEvent(e);
}

class ControlDispatch : public DisplayTest {};

TEST_F(ControlDispatch, EventsPropagateFromControlToWindowUnlessTold)
{
    Rect wr{200, 200, 400, 500};
    WindowRef w = nullptr;
    ASSERT_EQ(CreateNewWindow(kDocumentWindowClass, 0, &wr, &w), noErr);
    Rect pr{10, 10, 150, 250}, cr{20, 20, 60, 100};
    ControlRef pane, inner;
    ASSERT_EQ(CreateUserPaneControl(w, &pr, kControlSupportsEmbedding, &pane), noErr);
    ASSERT_EQ(CreateUserPaneControl(w, &cr, 0, &inner), noErr);
    ASSERT_EQ(EmbedControl(inner, pane), noErr);

    Log log;
    EventTypeSpec kind{kTestClass, 4};
    HandlerSpec onInner{&log, "inner", eventNotHandledErr}, onPane{&log, "pane", eventNotHandledErr},
        onWindow{&log, "window", noErr};
    InstallControlEventHandler(inner, Record, 1, &kind, &onInner, nullptr);
    InstallControlEventHandler(pane, Record, 1, &kind, &onPane, nullptr);
    InstallWindowEventHandler(w, Record, 1, &kind, &onWindow, nullptr);

    EventRef e = NewEvent(4);
    EXPECT_EQ(SendEventToEventTarget(e, GetControlEventTarget(inner)), noErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"inner", "pane", "window"}));
    log.calls.clear();
    EXPECT_EQ(SendEventToEventTargetWithOptions(e, GetControlEventTarget(inner), kEventTargetDontPropagate),
              eventNotHandledErr);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"inner"}));
    // An embedder cannot take a control that does not embed.
    EXPECT_EQ(EmbedControl(pane, inner), errControlIsNotEmbedder);
    EXPECT_EQ(EmbedControl(pane, pane), paramErr);
    ReleaseEvent(e);
    DisposeWindow(w);
}
