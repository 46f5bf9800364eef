#pragma once
// libcurl, loaded at the first request rather than linked: it and the TLS,
// Kerberos and LDAP libraries it pulls in would otherwise be loaded and
// relocated at every start, for a program that may never translate.
#include <curl/curl.h>

namespace platform {

struct CurlApi {
  decltype(&curl_easy_init) easy_init;
  decltype(&curl_easy_cleanup) easy_cleanup;
  decltype(&curl_easy_setopt) easy_setopt;
  decltype(&curl_easy_getinfo) easy_getinfo;
  decltype(&curl_easy_strerror) easy_strerror;
  decltype(&curl_multi_init) multi_init;
  decltype(&curl_multi_cleanup) multi_cleanup;
  decltype(&curl_multi_add_handle) multi_add_handle;
  decltype(&curl_multi_remove_handle) multi_remove_handle;
  decltype(&curl_multi_perform) multi_perform;
  decltype(&curl_multi_poll) multi_poll;
  decltype(&curl_multi_wakeup) multi_wakeup;
  decltype(&curl_multi_info_read) multi_info_read;
  decltype(&curl_slist_append) slist_append;
  decltype(&curl_slist_free_all) slist_free_all;
};

// Loads and initialises libcurl once (thread-safe); null when it is missing
// or its initialisation failed, every later call then too.
const CurlApi* Curl();

}  // namespace platform
