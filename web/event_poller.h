// Live values for the page: one thread polls every watched set of names
// and hands each event to the streams watching it.  Streams that watch the
// same names at the same interval share one set of reads; a stream that
// falls behind is dropped, so that nobody waits for a slow client.
#ifndef TKVWEB_EVENT_POLLER_H
#define TKVWEB_EVENT_POLLER_H

#include <stdint.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "regmap_names.h"

// What one event stream receives: events as text, ready to send.
class EventStream {
public:
    // The next event, waiting at most `ms`; false with nothing when there is
    // none yet (or the stream has ended: see ended()).
    bool next(std::string &event, unsigned ms);
    bool ended();

private:
    friend class EventPoller;
    static constexpr size_t kMostQueued = 8;
    // False when the stream was too far behind: it ends.
    bool push(const std::string &event);
    void end();

    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<std::string> queue_;
    bool ended_ = false;
};

class EventPoller {
public:
    EventPoller();
    ~EventPoller();
    EventPoller(const EventPoller &) = delete;
    EventPoller &operator=(const EventPoller &) = delete;

    // A stream of the values of `names` every `intervalMs`: the first event
    // at once, then one whenever a value changes.
    std::shared_ptr<EventStream> watch(const std::vector<regmap::Name> &names, uint32_t intervalMs);
    void forget(const std::shared_ptr<EventStream> &stream);
    // Ends every stream and the thread.
    void stop();

private:
    struct Group {
        std::vector<regmap::Name> names;
        uint32_t intervalMs = 0;
        std::chrono::steady_clock::time_point due;
        std::string last;           // the last event sent, which a new stream starts with
        std::string lastDocuments;  // its documents, to which the next read is compared
        std::vector<std::shared_ptr<EventStream>> streams;
    };
    void run();
    void poll(const std::string &key);  // with lock_ held

    std::mutex lock_;
    std::condition_variable wake_;
    std::map<std::string, Group> groups_;  // by interval and names
    bool stopping_ = false;
    std::thread thread_;
};

// The event's text: "data: {"documents": {NAME: DOCUMENT, ...}}", each
// document as tkvtool read NAME --json prints it, or {"error": ...} for a
// name whose read failed.
std::string readEvent(const std::vector<regmap::Name> &names);

#endif
