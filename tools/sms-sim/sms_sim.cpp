#include "sms-sim/sms_sim.h"

#include <algorithm>

#include "sms-sim/http_server.h"
#include "sms-sim/service.h"

namespace xunda::sim {

SmsSimulator::SmsSimulator(SimOptions options)
    : service_(std::make_unique<SmsService>(std::move(options.accounts), options.autoReports,
                                            options.firstMessageId)),
      server_(std::make_unique<HttpServer>([this](const RequestHead& request) { return Handle(request); })),
      port_(options.port),
      log_(std::move(options.log)),
      faultEvery_(options.faultEvery),
      faultDelay_(options.faultDelay) {}

SmsSimulator::~SmsSimulator() {
    Stop();
}

void SmsSimulator::Start() {
    server_->Start(port_);
}
void SmsSimulator::Stop() {
    server_->Stop();
}
std::uint16_t SmsSimulator::Port() const {
    return server_->Port();
}
std::string SmsSimulator::Host() const {
    return "127.0.0.1:" + std::to_string(Port());
}

Reply SmsSimulator::Handle(const RequestHead& request) {
    std::optional<ReplyScript> script;
    {
        std::lock_guard lock(mu_);
        requests_.push_back({request.requestLine, request.method, request.target, request.path, request.query,
                             request.headers});
        script = NextScript(request);
    }
    Reply reply = Shape(request, std::move(script));
    if (log_) {
        std::string line = request.method + " " + request.path + " -> ";
        if (reply.dropConnection) {
            line += "dropped";
        } else {
            line += std::to_string(reply.status);
            if (reply.contentType.starts_with("text/plain"))
                line += " " + reply.body.substr(0, reply.body.find_first_of("\r\n"));
        }
        std::lock_guard lock(mu_);
        log_(line);
    }
    return reply;
}

std::optional<ReplyScript> SmsSimulator::NextScript(const RequestHead& request) {
    auto it = std::find_if(scripts_.begin(), scripts_.end(),
                           [&](const ReplyScript& s) { return request.path.starts_with(s.path); });
    if (it != scripts_.end()) {
        ReplyScript script = std::move(*it);
        scripts_.erase(it);
        return script;
    }
    if (request.path != "/sms/putMt/" || faultEvery_ <= 0 || ++putMts_ % faultEvery_ != 0)
        return std::nullopt;
    switch (putMts_ / faultEvery_ % 3) {
        case 0:
            return ReplyScript{.dropConnection = true};
        case 1:
            return ReplyScript{.cutAfter = 40};
        default:
            return ReplyScript{.delay = faultDelay_};
    }
}

Reply SmsSimulator::Shape(const RequestHead& request, std::optional<ReplyScript> script) {
    if (!script) return service_->Handle(request);
    Reply reply;
    if (!script->serviceCode.empty()) {
        reply.body = script->serviceCode + "\r\n";
    } else if (script->serviceActs) {
        reply = service_->Handle(request);
    }
    if (script->status) {
        reply.status = *script->status;
        if (!script->body && reply.status != 200) reply.body = ReasonPhrase(reply.status);
    }
    if (script->body) reply.body = *script->body;
    reply.framing = script->framing;
    reply.lineEnd = script->lineEnd;
    reply.lengthDelta = script->lengthDelta;
    reply.delay = script->delay;
    reply.dropConnection = script->dropConnection;
    reply.cutAfter = script->cutAfter;
    return reply;
}

void SmsSimulator::Script(ReplyScript script) {
    std::lock_guard lock(mu_);
    scripts_.push_back(std::move(script));
}

void SmsSimulator::RefuseNumber(const std::string& mob, const std::string& code) {
    service_->RefuseNumber(mob, code);
}
void SmsSimulator::SetNextMessageId(std::uint64_t id) {
    service_->SetNextMessageId(id);
}
void SmsSimulator::QueueIncoming(IncomingMessage message) {
    service_->QueueIncoming(std::move(message));
}
void SmsSimulator::QueueReport(DeliveryReport report) {
    service_->QueueReport(std::move(report));
}
void SmsSimulator::SetDataReply(XmlEncoding encoding, bool upperCaseHex) {
    service_->SetDataReply(encoding, upperCaseHex);
}

std::vector<RequestRecord> SmsSimulator::Requests() const {
    std::lock_guard lock(mu_);
    return requests_;
}
std::vector<SentMessage> SmsSimulator::Sent() const {
    return service_->Sent();
}
int SmsSimulator::SendCount(const std::string& mob) const {
    return service_->SendCount(mob);
}
std::size_t SmsSimulator::PendingIncoming() const {
    return service_->PendingIncoming();
}
std::size_t SmsSimulator::PendingReports() const {
    return service_->PendingReports();
}

}  // namespace xunda::sim
