#include "server/translation_service.h"

#include "server/apertium_stream.h"
#include "server/query_parsing.h"
#include "server/reply_coding.h"

namespace vokabino {
namespace {

void AddNote(ServiceReply& reply, const std::string& note) {
  if (note.empty()) return;
  reply.note += (reply.note.empty() ? "" : "; ") + note;
}

void Answer(ServiceReply& reply, const Text& french, std::string engine) {
  reply.status = 200;
  reply.body = TranslationReplyBody(french);
  reply.engine = std::move(engine);
}

}  // namespace

ServiceReply AnswerTranslationQuery(TranslationService& service, std::string_view rawQuery) {
  ServiceReply reply;
  const QueryParse parse = ParseTranslationQuery(rawQuery);
  if (const QueryVerdict verdict = CheckTranslationQuery(parse); verdict.status != 0) {
    reply.status = verdict.status;
    reply.body = verdict.reason + "\n";
    reply.note = verdict.reason;
    return reply;
  }
  reply.textBytes = parse.query.text->size();
  const Text line = TrimSpaces(CleanLineForTranslation(*parse.query.text));
  if (line.empty()) {
    Answer(reply, Text(), "none");
    return reply;
  }
  if (std::optional<Text> cached = LookUpTranslation(service.cache, line)) {
    Answer(reply, *cached, "cache");
    return reply;
  }
  if (service.upstream) {
    UpstreamOutcome online = TranslateWithUpstream(*service.upstream, line);
    if (online.french) {
      RememberTranslation(service.cache, line, *online.french);
      Answer(reply, *online.french, "upstream");
      return reply;
    }
    AddNote(reply, online.problem);
  }
  ApertiumOutcome offline = TranslateWithApertium(service.apertium, line);
  AddNote(reply, offline.problem);
  if (offline.french) {
    if (!offline.french->empty()) RememberTranslation(service.cache, line, *offline.french);
    Answer(reply, *offline.french, "apertium");
    return reply;
  }
  reply.status = 503;
  reply.body = "translation failed\n";
  AddNote(reply, "translation failed");
  return reply;
}

}  // namespace vokabino
