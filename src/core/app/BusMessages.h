#pragma once
// The names of the messages on the in-app bus (NotificationBus): the settings window posts
// them, the app delegate and the settings window listen.

namespace quintrel::busMessage {

// The status title, as {"userInfo": {"content": text}}.
inline constexpr const char* content = "com.quintrel.content";
// The last-error text, in the same shape.
inline constexpr const char* error = "com.quintrel.error";
// Refresh now.
inline constexpr const char* refresh = "com.quintrel.refresh";
// Close the settings window.
inline constexpr const char* close = "com.quintrel.close";

}  // namespace quintrel::busMessage
