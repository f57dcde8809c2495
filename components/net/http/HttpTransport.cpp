// HTTP exchanges on libcurl easy handles.
#include "components/net/http/HttpTransport.h"

#include <curl/curl.h>

#include <mutex>
#include <utility>

namespace SMS::NET::http {
namespace {

// libcurl's global state is set up once, before the first handle.
void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Headers = std::unique_ptr<curl_slist, SlistFree>;

// Collects the answer body and stops the transfer once it passes the limit.
struct Sink {
    std::string body;
    std::size_t limit = 0;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    const std::size_t n = size * count;
    if (sink.body.size() + n > sink.limit) {
        sink.tooLarge = true;
        return 0;  // makes libcurl end the transfer with a write error
    }
    sink.body.append(data, n);
    return n;
}

Failure failureOf(CURLcode rc, bool tooLarge) {
    switch (rc) {
        case CURLE_OK:
            return Failure::kNone;
        case CURLE_FILESIZE_EXCEEDED:
            return Failure::kTooLarge;
        case CURLE_WRITE_ERROR:
            return tooLarge ? Failure::kTooLarge : Failure::kBroken;
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return Failure::kConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return Failure::kTimeout;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return Failure::kBadAddress;
        default:
            return Failure::kBroken;
    }
}

// The request's header lines.
Headers headersFor(const Request& request) {
    Headers headers(curl_slist_append(nullptr, "Content-Type: application/json"));
    // No "Expect: 100-continue" round trip before a larger body.
    headers.reset(curl_slist_append(headers.release(), "Expect:"));
    if (!request.session.empty()) {
        const std::string auth = "Authorization: Bearer " + request.session;
        headers.reset(curl_slist_append(headers.release(), auth.c_str()));
    }
    return headers;
}

void configure(CURL* curl, const Request& request, const std::string& url, const std::string& proxy,
               curl_slist* headers, Sink& sink, const Transport::Limits& limits) {
    // A reset keeps the handle's live connection, so the next request reuses it.
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Only the settings choose a proxy: an empty one also turns off the
    // environment's http_proxy.
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // timeouts without signals: threads
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.requestMs);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxAnswerBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    if (request.post) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    }
}

}  // namespace

struct Transport::Handle {
    CURL* curl = curl_easy_init();
    ~Handle() {
        if (curl != nullptr) curl_easy_cleanup(curl);
    }
};

Transport::Transport(const HttpGateway::Options& options)
    : m_baseUrl(options.baseUrl.size() > 0 && options.baseUrl.back() == '/'
                    ? options.baseUrl.substr(0, options.baseUrl.size() - 1)
                    : options.baseUrl),
      m_proxy(options.proxy),
      m_limits{static_cast<long>(options.connectTimeout.count()),
               static_cast<long>(options.requestTimeout.count()), options.maxAnswerBytes} {
    initCurlOnce();
}

Transport::~Transport() = default;

std::unique_ptr<Transport::Handle> Transport::take() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<Handle> handle = std::move(m_idle.back());
            m_idle.pop_back();
            return handle;
        }
    }
    return std::make_unique<Handle>();
}

void Transport::giveBack(std::unique_ptr<Handle> handle) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_idle.push_back(std::move(handle));
}

Answer Transport::perform(const Request& request) {
    Answer answer;
    std::unique_ptr<Handle> handle = take();
    if (handle->curl == nullptr) {
        answer.failure = Failure::kConnect;
        return answer;
    }
    const Headers headers = headersFor(request);
    Sink sink;
    sink.limit = m_limits.maxAnswerBytes;
    configure(handle->curl, request, m_baseUrl + request.path, m_proxy, headers.get(), sink, m_limits);
    const CURLcode rc = curl_easy_perform(handle->curl);  // before sink.tooLarge is read
    answer.failure = failureOf(rc, sink.tooLarge);
    if (answer.failure == Failure::kNone) {
        curl_easy_getinfo(handle->curl, CURLINFO_RESPONSE_CODE, &answer.status);
        curl_off_t retryAfter = 0;
        if (curl_easy_getinfo(handle->curl, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0) {
            answer.retryAfter = std::chrono::seconds(retryAfter);
        }
        answer.body = std::move(sink.body);
    }
    // libcurl closes a connection left in a bad state itself, so the handle
    // is fit for the next request whatever happened.
    giveBack(std::move(handle));
    return answer;
}

}  // namespace SMS::NET::http
