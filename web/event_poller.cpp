#include "event_poller.h"

#include <stdio.h>
#include <time.h>

#include "device_lock.h"
#include "documents.h"

bool EventStream::next(std::string &event, unsigned ms) {
    std::unique_lock<std::mutex> hold(lock_);
    ready_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return ended_ || !queue_.empty(); });
    if (queue_.empty()) return false;
    event = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

bool EventStream::ended() {
    std::lock_guard<std::mutex> hold(lock_);
    return ended_ && queue_.empty();
}

bool EventStream::push(const std::string &event) {
    std::lock_guard<std::mutex> hold(lock_);
    if (ended_) return false;
    if (queue_.size() >= kMostQueued) {
        ended_ = true;
        queue_.clear();
    } else {
        queue_.push_back(event);
    }
    ready_.notify_all();
    return !ended_;
}

void EventStream::end() {
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
    ready_.notify_all();
}

// Each name's document, as `tkvtool read NAME -D --json` has it.
client::Document readDocuments(const std::vector<regmap::Name> &names) {
    client::Document documents = client::Document::object();
    for (const regmap::Name &name : names) {
        client::RequestFailure failure;
        client::Document document;
        {
            DeviceGuard device(gDeviceLock);
            document = client::namedReadDocument(name, failure);
        }
        if (failure.failed()) document = {{"error", client::requestFailureText("read", failure)}};
        documents[name.text()] = document;
    }
    return documents;
}

// An event of the documents, with the time they were read (UTC, to the millisecond).
std::string eventOf(const client::Document &documents) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    char when[40], stamp[64];
    strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &parts);
    snprintf(stamp, sizeof stamp, "%s.%03dZ", when, static_cast<int>(now.tv_nsec / 1000000));
    const client::Document event = {{"time", stamp}, {"documents", documents}};
    return "data: " + event.dump(-1, ' ', false, client::Document::error_handler_t::replace) + "\n\n";
}

EventPoller::EventPoller() : thread_([this] { run(); }) {}

EventPoller::~EventPoller() { stop(); }

std::shared_ptr<EventStream> EventPoller::watch(const std::vector<regmap::Name> &names, uint32_t intervalMs) {
    std::string key = std::to_string(intervalMs);
    for (const regmap::Name &n : names) key += " " + n.text();
    auto stream = std::make_shared<EventStream>();
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_) {
        stream->end();
        return stream;
    }
    Group &group = groups_[key];
    if (group.streams.empty() && group.names.empty()) {
        group.names = names;
        group.intervalMs = intervalMs;
        group.due = std::chrono::steady_clock::now();  // a new group's first event comes at once
        wake_.notify_all();
    } else if (!group.last.empty()) {
        stream->push(group.last);
    }
    group.streams.push_back(stream);
    return stream;
}

void EventPoller::forget(const std::shared_ptr<EventStream> &stream) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = groups_.begin(); it != groups_.end(); ++it) {
        auto &streams = it->second.streams;
        for (auto s = streams.begin(); s != streams.end(); ++s)
            if (*s == stream) {
                streams.erase(s);
                if (streams.empty()) groups_.erase(it);
                return;
            }
    }
}

void EventPoller::stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_ && !thread_.joinable()) return;
        stopping_ = true;
        for (auto &entry : groups_)
            for (auto &stream : entry.second.streams) stream->end();
        groups_.clear();
        wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

void EventPoller::poll(const std::string &key) {
    // Read outside the poller's lock: new streams are not held up by the device.
    const std::vector<regmap::Name> names = groups_[key].names;
    lock_.unlock();
    const client::Document documents = readDocuments(names);
    const std::string text = documents.dump(-1, ' ', false, client::Document::error_handler_t::replace);
    lock_.lock();
    // The group may have gone while the device was read.
    const auto it = groups_.find(key);
    if (it == groups_.end() || text == it->second.lastDocuments) return;
    Group &group = it->second;
    group.lastDocuments = text;
    group.last = eventOf(documents);
    const std::string &event = group.last;
    auto &streams = group.streams;
    for (size_t i = 0; i < streams.size();)
        if (streams[i]->push(event))
            ++i;
        else
            streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(i));  // too far behind: dropped
    if (streams.empty()) groups_.erase(it);
}

void EventPoller::run() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        auto soonest = now + std::chrono::seconds(1);
        std::string dueKey;
        for (const auto &entry : groups_)
            if (entry.second.due <= soonest) {
                soonest = entry.second.due;
                dueKey = entry.first;
            }
        if (dueKey.empty() || soonest > now) {
            wake_.wait_until(hold, soonest);
            continue;
        }
        Group &group = groups_[dueKey];
        group.due += std::chrono::milliseconds(group.intervalMs);
        if (group.due < now) group.due = now + std::chrono::milliseconds(group.intervalMs);  // late: no burst
        poll(dueKey);
    }
}
