// Small self-contained pages (inline CSS and SVG, no external resources).

#include "Pages.h"

#include <algorithm>
#include <sstream>

namespace standin {
namespace {

const char* kStyle =
    "body{font-family:sans-serif;margin:0;padding:16px;color:#222;background:#fafafa}"
    "h1{font-size:18px;margin:0 0 12px}table{border-collapse:collapse;width:100%}"
    "td,th{text-align:left;padding:4px 8px;border-bottom:1px solid #ddd;font-size:13px}"
    ".big{font-size:36px;font-weight:bold;color:#1d6fd8}.muted{color:#777;font-size:12px}";

std::string document(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
           "</title><style>" + kStyle + "</style></head>\n<body>\n" + body + "\n</body></html>\n";
}

HttpReply html(int status, const std::string& title, const std::string& body) {
    return {status, "text/html; charset=utf-8", document(title, body)};
}

// The one link of a widget that asks for a new window: the embedding view must send
// it to the browser rather than open a window of its own.
std::string fullReportLink(const std::string& selfBase, const std::string& code) {
    return "<p><a id=\"full-report\" href=\"" + htmlEscape(selfBase) +
           "/login-code.php?code=" + htmlEscape(code) +
           "\" target=\"_blank\">Open the full report</a></p>";
}

std::string chart(const std::vector<int64_t>& values) {
    const int64_t top = std::max<int64_t>(1, *std::max_element(values.begin(), values.end()));
    const double width = 600, height = 160;
    const double step = width / static_cast<double>(std::max<size_t>(1, values.size() - 1));
    std::ostringstream points;
    for (size_t i = 0; i < values.size(); ++i) {
        points << (i * step) << ',' << (height - height * static_cast<double>(values[i]) / top)
               << ' ';
    }
    std::ostringstream svg;
    svg << "<svg id=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" "
        << "viewBox=\"0 0 600 160\" preserveAspectRatio=\"none\">"
        << "<rect width=\"600\" height=\"160\" fill=\"#eef4fc\"/>"
        << "<polyline fill=\"none\" stroke=\"#1d6fd8\" stroke-width=\"3\" points=\"" << points.str()
        << "\"/></svg>";
    return svg.str();
}

HttpReply unknownCode(const std::string& title) {
    return html(200, title,
                "<h1>Unknown API code</h1><p>Check the API code in the app's settings.</p>");
}

HttpReply overview(const Query& query, double now, const Simulation& sim,
                   const std::string& selfBase) {
    const auto code = value(query, "code").value_or("");
    std::ostringstream body;
    body << "<h1>Overview</h1><div class=\"big\" id=\"online\">" << sim.online(now)
         << "</div><div class=\"muted\">visitors online now &middot; <span id=\"pv\">"
         << sim.pageViews(now) << "</span> page views today</div>"
         << "<h1>Last 30 minutes</h1>" << chart(sim.onlineHistory(now, 30, 60.0))
         << fullReportLink(selfBase, code);
    return html(200, "Quintrel Overview", body.str());
}

HttpReply map(const Query& query, double now, const Simulation& sim, const std::string& selfBase) {
    const auto code = value(query, "code").value_or("");
    const bool archive = value(query, "archive") == "1";
    std::ostringstream body;
    body << "<h1>Visitor map" << (archive ? " (including archive)" : "") << "</h1>"
         << "<svg id=\"map\" xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" "
         << "viewBox=\"-180 -90 360 180\"><rect x=\"-180\" y=\"-90\" width=\"360\" "
         << "height=\"180\" fill=\"#dcebf7\"/>"
         // Rough continents, enough to place the dots.
         << "<g fill=\"#b9d3a8\"><ellipse cx=\"-100\" cy=\"-45\" rx=\"45\" ry=\"25\"/>"
         << "<ellipse cx=\"-60\" cy=\"20\" rx=\"20\" ry=\"35\"/>"
         << "<ellipse cx=\"15\" cy=\"-50\" rx=\"25\" ry=\"15\"/>"
         << "<ellipse cx=\"20\" cy=\"5\" rx=\"22\" ry=\"35\"/>"
         << "<ellipse cx=\"90\" cy=\"-45\" rx=\"60\" ry=\"25\"/>"
         << "<ellipse cx=\"135\" cy=\"25\" rx=\"20\" ry=\"12\"/></g>";
    for (const auto& v : sim.recentVisitors(now, archive ? 40 : 15)) {
        body << "<circle class=\"visitor\" cx=\"" << v.longitude << "\" cy=\"" << -v.latitude
             << "\" r=\"3\" fill=\"#d8431d\"><title>" << htmlEscape(v.city) << "</title></circle>";
    }
    body << "</svg>" << fullReportLink(selfBase, code);
    return html(200, "Quintrel Map", body.str());
}

HttpReply visitors(const Query& query, double now, const Simulation& sim,
                   const std::string& selfBase) {
    const auto code = value(query, "code").value_or("");
    std::ostringstream body;
    body << "<h1>Recent visitors</h1><table id=\"visitors\"><tr><th>When</th><th>Where</th>"
         << "<th>Page</th><th>From</th></tr>";
    for (const auto& v : sim.recentVisitors(now, 20)) {
        body << "<tr><td>" << v.secondsAgo << " s ago</td><td>" << htmlEscape(v.city) << ", "
             << htmlEscape(v.country) << "</td><td>" << htmlEscape(v.page) << "</td><td>"
             << htmlEscape(v.referrer) << "</td></tr>";
    }
    body << "</table>" << fullReportLink(selfBase, code);
    return html(200, "Quintrel Recent Visitors", body.str());
}

HttpReply plugin(const Query& query) {
    const auto type = value(query, "type").value_or("");
    if (type == "api") {
        return html(200, "Your Quintrel API code",
                    "<h1>Your API code</h1><p>Sign in to Quintrel, open <b>Account &rarr; "
                    "Apps</b> and copy the API code into the app's settings.</p>");
    }
    const auto version = value(query, "v").value_or("");
    return html(200, "Quintrel Companion updates",
                "<h1>Quintrel Companion</h1><p>You run version <span id=\"version\">" +
                    htmlEscape(version) + "</span> on " + htmlEscape(type) +
                    ". It is the latest version.</p>");
}

}  // namespace

std::optional<HttpReply> page(const std::string& path, const Query& query, double now,
                              const Simulation& simulation, const std::set<std::string>& codes,
                              const std::string& selfBase) {
    const bool known = codes.contains(value(query, "code").value_or(""));
    if (path == "/widget/wp3.2.php") {
        return known ? overview(query, now, simulation, selfBase) : unknownCode("Overview");
    }
    if (path == "/widget/wp-map.php") {
        return known ? map(query, now, simulation, selfBase) : unknownCode("Map");
    }
    if (path == "/widget/wp-dashboard.php") {
        return known ? visitors(query, now, simulation, selfBase) : unknownCode("Recent Visitors");
    }
    if (path == "/login-code.php") {
        return known ? html(200, "Quintrel Dashboard",
                            "<h1>Dashboard</h1><p>Signed in with your API code. <span "
                            "class=\"big\">" +
                                std::to_string(simulation.online(now)) +
                                "</span> visitors online.</p>")
                     : html(403, "Quintrel Dashboard", "<h1>Unknown API code</h1>");
    }
    if (path == "/plugin/") {
        return plugin(query);
    }
    if (path == "/privacy.php") {
        return html(200, "Quintrel Privacy Policy",
                    "<h1>Privacy Policy</h1><p>This stand-in keeps no data about you.</p>");
    }
    if (path == "/terms.php") {
        return html(200, "Quintrel Terms of Service",
                    "<h1>Terms of Service</h1><p>A local stand-in for demos and tests.</p>");
    }
    if (path == "/alert.php") {
        return html(200, "Quintrel Alert",
                    "<h1>Visitor alert " + htmlEscape(value(query, "id").value_or("")) +
                        "</h1><p>The visitor the notification told you about.</p>");
    }
    return std::nullopt;
}

HttpReply notFoundPage(const std::string& path) {
    return html(404, "Not found", "<h1>Not found</h1><p>" + htmlEscape(path) + "</p>");
}

}  // namespace standin
