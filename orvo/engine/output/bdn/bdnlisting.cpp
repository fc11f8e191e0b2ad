#include "output/bdn/bdnlisting.h"

#include "output/bluray/blurayvideo.h"
#include "output/xmltext.h"
#include "time/timecode.h"

namespace orvo {
namespace {

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + EscapeXmlAttribute(value) + "\"";
}

std::string Attribute(const char* name, std::int64_t value) {
    return Attribute(name, std::to_string(value));
}

std::string EventLines(const BdnEvent& event, const FrameRate& rate) {
    const QRect& area = event.area;
    return "    <Event" + Attribute("InTC", BdnTimecode(event.inFrame, rate)) +
           Attribute("OutTC", BdnTimecode(event.outFrame, rate)) +
           Attribute("Forced", event.forced ? "True" : "False") + ">\n      <Graphic" +
           Attribute("Width", area.width()) + Attribute("Height", area.height()) +
           Attribute("X", area.x()) + Attribute("Y", area.y()) + ">" +
           EscapeXmlAttribute(event.graphic) + "</Graphic>\n    </Event>\n";
}

} // namespace

std::string BdnTimecode(std::int64_t frame, const FrameRate& rate) {
    FrameRate counted = rate;
    counted.dropFrame = false;
    return FormatTimecode(frame, counted);
}

std::string FormatBdnListing(const BdnTrack& track, const std::vector<BdnEvent>& events) {
    const FrameRate& rate = track.rate;
    const std::int64_t first = events.empty() ? 0 : events.front().inFrame;
    const std::int64_t last = events.empty() ? 0 : events.back().outFrame;
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BDN Version=\"0.93\">\n";
    text += "  <Description>\n";
    text += "    <Name" + Attribute("Title", track.title) + Attribute("Content", "") + "/>\n";
    text += "    <Language" + Attribute("Code", track.language) + "/>\n";
    text += "    <Format" + Attribute("VideoFormat", std::string(track.canvas.videoFormat)) +
            Attribute("FrameRate", std::string(BluRayRateName(rate))) +
            Attribute("DropFrame", "False") + "/>\n";
    text += "    <Events" + Attribute("Type", "Graphic") +
            Attribute("FirstEventInTC", BdnTimecode(first, rate)) +
            Attribute("LastEventOutTC", BdnTimecode(last, rate)) +
            Attribute("NumberofEvents", static_cast<std::int64_t>(events.size())) + "/>\n";
    text += "  </Description>\n  <Events>\n";
    for (const BdnEvent& event : events) {
        text += EventLines(event, rate);
    }
    text += "  </Events>\n</BDN>\n";
    return text;
}

} // namespace orvo
