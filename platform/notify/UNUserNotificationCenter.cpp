#include "platform/notify/UNUserNotificationCenter.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Bundle.h"
#include "platform/notify/LoopThread.h"
#include "platform/notify/NotificationBus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

namespace platform::notify {

namespace {

using dispatch::DispatchQueue;

// Long enough for any trigger a person means; keeps the microsecond sums far from overflow.
constexpr double longestInterval = 100.0 * 365 * 24 * 3600;

std::int64_t microseconds(double seconds) {
    return static_cast<std::int64_t>(std::ceil(std::min(seconds, longestInterval) * 1e6));
}

std::string escapedMarkup(const std::string& text) {
    g_autofree gchar* escaped = g_markup_escape_text(text.c_str(), -1);
    return escaped;
}

struct Pending {
    std::uint64_t serial;
    UNNotificationRequest request;
    UNUserNotificationCenter::AddCompletion completion;
    std::int64_t due; // g_get_monotonic_time() microseconds
    LoopThread::TimerId timer = 0;
};

} // namespace

// Everything but the constructor and destructor runs on the loop thread.
struct UNUserNotificationCenter::Impl {
    std::shared_ptr<DispatchQueue> completions = DispatchQueue::serial("platform.notify.center");
    GObjectPtr<GCancellable> cancellable{g_cancellable_new()};
    std::optional<NotificationBus> bus;
    std::optional<bool> bodyIsMarkup; // the server's "body-markup" capability, once asked
    std::map<std::string, std::uint32_t> shownIds; // to replace a shown notification in place
    std::vector<Pending> pending;
    std::uint64_t nextSerial = 1;
    int callsInFlight = 0;
    LoopThread loop{"notify-center"}; // last: stopped first, while the rest still exists

    ~Impl() {
        loop.invokeAndWait([this] { shutDown(); });
    }

    void shutDown() {
        g_cancellable_cancel(cancellable.get());
        for (auto& entry : pending) {
            loop.cancel(entry.timer);
        }
        pending.clear();
        // Cancelled calls still reply; wait for them so none outlives the centre.
        while (callsInFlight > 0) {
            loop.iterate();
        }
    }

    bool stopping() const { return g_cancellable_is_cancelled(cancellable.get()); }

    template <class... Args>
    void complete(std::function<void(Args...)> completion, std::type_identity_t<Args>... args) {
        if (completion) {
            completions->async(
                [completion = std::move(completion), args...] { completion(args...); });
        }
    }

    std::optional<UNError> ensureBus() {
        if (bus && !bus->isClosed()) {
            return std::nullopt;
        }
        bus.reset();
        bodyIsMarkup.reset();
        shownIds.clear();
        auto connected = NotificationBus::connect(cancellable.get());
        if (!connected) {
            return connected.error();
        }
        bus.emplace(std::move(connected.value()));
        return std::nullopt;
    }

    // Wraps a reply so the call is counted until it has come back, and dropped once the
    // centre is stopping.
    template <class Reply> auto counted(Reply reply) {
        ++callsInFlight;
        return [this, reply = std::move(reply)](auto result) mutable {
            --callsInFlight;
            if (!stopping()) {
                reply(std::move(result));
            }
        };
    }

    void requestAuthorization(AuthorizationCompletion completion) {
        if (auto error = ensureBus()) {
            complete(std::move(completion), false, error);
            return;
        }
        bus->serverInformation(cancellable.get(),
                               counted([this, completion](std::optional<UNError> error) {
                                   complete(completion, !error.has_value(), error);
                               }));
    }

    void add(UNNotificationRequest request, AddCompletion completion) {
        if (request.trigger && !request.trigger->isValid()) {
            complete(std::move(completion),
                     std::optional(UNError{UNError::Code::invalidTrigger, {}}));
            return;
        }
        if (auto error = ensureBus()) {
            complete(std::move(completion), error);
            return;
        }
        if (auto replaced = std::find_if(
                pending.begin(), pending.end(),
                [&](const Pending& p) { return p.request.identifier == request.identifier; });
            replaced != pending.end()) {
            loop.cancel(replaced->timer);
            complete(std::move(replaced->completion), std::optional<UNError>());
            pending.erase(replaced);
        }
        auto delay = request.trigger ? microseconds(request.trigger->timeInterval()) : 0;
        auto& entry =
            pending.emplace_back(Pending{nextSerial++, std::move(request), std::move(completion),
                                         g_get_monotonic_time() + delay});
        arm(entry);
    }

    void arm(Pending& entry) {
        auto remaining = std::max<std::int64_t>(entry.due - g_get_monotonic_time(), 0);
        // Rounded up, so the timer never fires before the request is due.
        std::chrono::milliseconds delay((remaining + 999) / 1000);
        entry.timer = loop.schedule(delay, [this, serial = entry.serial] { fire(serial); });
    }

    void fire(std::uint64_t serial) {
        auto entry = std::find_if(pending.begin(), pending.end(),
                                  [&](const Pending& p) { return p.serial == serial; });
        if (entry == pending.end()) {
            return;
        }
        if (g_get_monotonic_time() < entry->due) {
            arm(*entry); // a long trigger is woken early and waits for the rest
            return;
        }
        auto request = entry->request;
        auto completion = std::exchange(entry->completion, nullptr);
        if (request.trigger && request.trigger->repeats()) {
            entry->due += microseconds(request.trigger->timeInterval());
            arm(*entry);
        } else {
            pending.erase(entry);
        }
        deliver(std::move(request), std::move(completion));
    }

    void deliver(UNNotificationRequest request, AddCompletion completion) {
        if (auto error = ensureBus()) {
            complete(std::move(completion), error);
            return;
        }
        if (bodyIsMarkup) {
            show(std::move(request), std::move(completion));
            return;
        }
        bus->capabilities(
            cancellable.get(),
            counted([this, request = std::move(request),
                     completion = std::move(completion)](NotificationBus::Capabilities names) {
                if (!names) {
                    complete(completion, std::optional(names.error()));
                    return;
                }
                bodyIsMarkup = std::ranges::find(*names, "body-markup") != names->end();
                show(request, completion);
            }));
    }

    // The body is plain text; a server that reads markup would otherwise eat "<" and "&".
    void show(UNNotificationRequest request, AddCompletion completion) {
        const auto& bundle = foundation::Bundle::main();
        Notification notification{
            .appName = bundle.object("CFBundleName").value_or(bundle.bundleIdentifier()),
            .replacesId = shownIds.contains(request.identifier) ? shownIds[request.identifier] : 0,
            .appIcon = bundle.bundleIdentifier(),
            .summary = request.content.title,
            .body = *bodyIsMarkup ? escapedMarkup(request.content.body) : request.content.body,
            .soundName =
                request.content.sound ? std::optional(request.content.sound->name) : std::nullopt,
            .desktopEntry = bundle.bundleIdentifier(),
        };
        bus->notify(notification, cancellable.get(),
                    counted([this, identifier = request.identifier,
                             completion = std::move(completion)](NotificationBus::Shown shown) {
                        if (!shown) {
                            complete(completion, std::optional(shown.error()));
                            return;
                        }
                        shownIds[identifier] = *shown;
                        complete(completion, std::optional<UNError>());
                    }));
    }

    std::vector<UNNotificationRequest> pendingRequests() const {
        std::vector<UNNotificationRequest> requests;
        for (const auto& entry : pending) {
            requests.push_back(entry.request);
        }
        return requests;
    }
};

UNUserNotificationCenter& UNUserNotificationCenter::current() {
    static UNUserNotificationCenter center;
    return center;
}

UNUserNotificationCenter::UNUserNotificationCenter()
    : impl_(std::make_unique<Impl>()) {}

UNUserNotificationCenter::~UNUserNotificationCenter() = default;

void UNUserNotificationCenter::requestAuthorization(UNAuthorizationOptions,
                                                    AuthorizationCompletion completionHandler) {
    impl_->loop.post([impl = impl_.get(), completion = std::move(completionHandler)]() mutable {
        impl->requestAuthorization(std::move(completion));
    });
}

void UNUserNotificationCenter::add(UNNotificationRequest request, AddCompletion completionHandler) {
    impl_->loop.post([impl = impl_.get(), request = std::move(request),
                      completion = std::move(completionHandler)]() mutable {
        impl->add(std::move(request), std::move(completion));
    });
}

void UNUserNotificationCenter::getPendingNotificationRequests(PendingCompletion completionHandler) {
    impl_->loop.post([impl = impl_.get(), completion = std::move(completionHandler)]() mutable {
        impl->complete(std::move(completion), impl->pendingRequests());
    });
}

} // namespace platform::notify
