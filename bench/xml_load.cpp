// Loads a generated data-query reply (a root with N "row" elements of three hex attributes) in
// UTF-8 and UTF-16 and walks every row and attribute, with XmlDocument, libxml2's DOM and pugixml
// on the same bytes in the same run. Prints the best of several runs (each including the release of
// its memory) and the ratios. Then the memory that nodes kept beyond their parse hold, each case in
// a process of its own, against its goal.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/stream.h"
#include "xml/document.h"

namespace {

std::string Reply(int rows) {
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xml>\r\n";
    char line[160];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(line, sizeof line,
                      "  <row c=\"%010X\" g=\"E4B8ADE69687%06X\" p=\"7071727374%04X\"/>\r\n", i, i & 0xFFFFFF,
                      i & 0xFFFF);
        body += line;
    }
    return body + "</xml>\r\n";
}

// UTF-16LE with a byte-order mark (the reply is ASCII).
std::string ToUtf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    out.reserve(2 + ascii.size() * 2);
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::size_t WalkOurs(const std::string& bytes) {
    xunda::ViewStream body(bytes);  // as the gateway reads a reply's body
    xunda::XmlDocument doc;
    doc.LoadFromStream(body);
    xunda::XmlNodeList rows;
    doc.GetRoot()->NodesByName("row", &rows);
    std::size_t sum = 0;
    for (xunda::XmlNode* row : rows)
        for (int i = 0; i < row->GetAttributeCount(); ++i)
            sum += row->GetAttributeName(i).size() + row->GetAttributeValue(i).size();
    return sum;
}

std::size_t WalkLibxml2(const std::string& bytes) {
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_HUGE);
    std::size_t sum = 0;
    for (xmlNodePtr row = xmlDocGetRootElement(doc)->children; row; row = row->next) {
        if (row->type != XML_ELEMENT_NODE || xmlStrcasecmp(row->name, BAD_CAST "row") != 0) continue;
        for (xmlAttrPtr a = row->properties; a; a = a->next) {
            xmlChar* value = xmlNodeListGetString(doc, a->children, 1);
            sum += std::strlen(reinterpret_cast<const char*>(a->name)) +
                   std::strlen(reinterpret_cast<const char*>(value));
            xmlFree(value);
        }
    }
    xmlFreeDoc(doc);
    return sum;
}

std::size_t WalkPugixml(const std::string& bytes) {
    pugi::xml_document doc;
    doc.load_buffer(bytes.data(), bytes.size());
    std::size_t sum = 0;
    for (pugi::xml_node row : doc.document_element().children()) {
        if (strcasecmp(row.name(), "row") != 0) continue;
        for (pugi::xml_attribute a : row.attributes()) sum += std::strlen(a.name()) + std::strlen(a.value());
    }
    return sum;
}

// Each run (load, walk and free) starts on a trimmed heap, so that no library's freed blocks slow
// down the next one's allocations.
double BestSeconds(const std::function<std::size_t()>& run, std::size_t expected, int repeats) {
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        malloc_trim(0);
        const auto start = xunda::bench::Steady::now();
        std::size_t sum = run();
        const double seconds = xunda::bench::SecondsSince(start);
        if (sum != expected) {
            std::fprintf(stderr, "walk mismatch: %zu != %zu\n", sum, expected);
            std::exit(1);
        }
        best = std::min(best, seconds);
    }
    return best;
}

std::unique_ptr<xunda::XmlDocument> Parse(const std::string& bytes) {
    xunda::ViewStream body(bytes);
    auto doc = std::make_unique<xunda::XmlDocument>();
    doc->LoadFromStream(body);
    return doc;
}

// Runs the case in a child process and prints how much its resident memory grew.
void KeptNodes(const char* what, double goalMiB, const std::function<void()>& run) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const long before = xunda::bench::ResidentKb();
        run();
        const double grown = static_cast<double>(xunda::bench::ResidentKb() - before) / 1024;
        std::printf("%-62s %7.1f MiB (goal <= %.0f MiB)\n", what, grown, goalMiB);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::printf("%-62s FAILED (status %d)\n", what, status);
}

void KeptNodes() {
    const std::string small = Reply(10), medium = Reply(1000), large = Reply(1000000);
    // What the cases keep lives on past them, to the measurement.
    std::vector<std::unique_ptr<xunda::XmlNode>> kept;
    xunda::XmlDocument grown;
    KeptNodes("one row kept from each of 1,000 documents of 1,000 rows", 32, [&] {
        for (int i = 0; i < 1000; ++i) {
            auto doc = Parse(medium);
            xunda::XmlNode* root = doc->GetRoot();
            kept.push_back(root->NodeExtract(root->GetNodes(i)));
        }
    });
    KeptNodes("a document grown by a row between parses of 10 rows, 200,000 times", 84, [&] {
        for (int i = 0; i < 200000; ++i) {
            Parse(small);
            grown.GetRoot()->NodeNew("row")->AttributeAdd("c", "0000000001");
        }
    });
    KeptNodes("100 rows kept from a parse of 1,000,000 rows", 64, [&] {
        auto doc = Parse(large);
        xunda::XmlNode* root = doc->GetRoot();
        for (int i = 0; i < 100; ++i) kept.push_back(root->NodeExtract(root->GetNodes(i * 9999)));
        doc.reset();
    });
}

}  // namespace

// With the argument "kept", only the memory of kept nodes.
int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "kept") == 0) {
        KeptNodes();
        return 0;
    }
    xmlInitParser();
    std::printf("%-8s %8s %11s %11s %11s %9s %9s\n", "encoding", "rows", "ours ms", "pugixml ms",
                "libxml2 ms", "/pugixml", "/libxml2");
    for (bool utf16 : {false, true}) {
        std::vector<double> ours;
        std::vector<int> counts = {10000, 100000, 1000000};
        for (int rows : counts) {
            std::string bytes = Reply(rows);
            if (utf16) bytes = ToUtf16(bytes);
            std::size_t expected = WalkPugixml(bytes);
            int repeats = rows >= 1000000 ? 3 : 7;
            double o = BestSeconds([&] { return WalkOurs(bytes); }, expected, repeats);
            double p = BestSeconds([&] { return WalkPugixml(bytes); }, expected, repeats);
            double l = BestSeconds([&] { return WalkLibxml2(bytes); }, expected, repeats);
            ours.push_back(o);
            std::printf("%-8s %8d %11.2f %11.2f %11.2f %9.2f %9.2f\n", utf16 ? "UTF-16" : "UTF-8", rows,
                        o * 1e3, p * 1e3, l * 1e3, o / p, o / l);
        }
        for (std::size_t i = 1; i < counts.size(); ++i)
            std::printf("%-8s time(%d rows) / time(%d rows) = %.2f (linear: 10)\n",
                        utf16 ? "UTF-16" : "UTF-8", counts[i], counts[i - 1], ours[i] / ours[i - 1]);
    }
    xmlCleanupParser();
    KeptNodes();
    return 0;
}
