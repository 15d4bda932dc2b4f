// A flight file as a link to the web page: the page's address, then
// `#flight=` and the file's text deflated (zlib's format) in base64url
// without padding, as the page's Flight > Copy link makes it. Opening such
// a link watches the flight there; the desktop's Open flight and the
// headless `--share-link` read and make the same links.
#pragma once

#include <string>

std::string MakeShareLink(const std::string& flightText, const std::string& pageUrl);

// The flight file's text a link (or just what follows `#flight=`) carries.
// False with `error` for a link without a flight, or one that is damaged or
// unpacks to more than a flight file may hold.
bool ReadShareLink(const std::string& link, std::string& flightText, std::string& error);

// Whether a text a player typed is such a link rather than a file name.
bool IsShareLink(const std::string& text);
