#pragma once

#include <curl/curl.h>
#include <memory>

namespace platform::net::curl {

// Owning handles for libcurl's C objects.
struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ShareDeleter {
    void operator()(CURLSH* handle) const { curl_share_cleanup(handle); }
};
struct SListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct URLDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
struct StringDeleter {
    void operator()(char* text) const { curl_free(text); }
};

using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using Share = std::unique_ptr<CURLSH, ShareDeleter>;
using SList = std::unique_ptr<curl_slist, SListDeleter>;
using URLHandle = std::unique_ptr<CURLU, URLDeleter>;
using String = std::unique_ptr<char, StringDeleter>;

} // namespace platform::net::curl
