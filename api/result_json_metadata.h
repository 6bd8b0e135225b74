// The metadata JSON of a document: the object that rule functions fill
// (each member an array of appended values), compact, members sorted by
// key; {} when nothing was set.

#ifndef KAVERO_API_RESULT_JSON_METADATA_H_
#define KAVERO_API_RESULT_JSON_METADATA_H_

#include <ostream>

namespace zel {
namespace kavero {

class Blackboard;

void stream_json_api_metadata(Blackboard& blackboard, std::ostream& out);

namespace v2 {
void stream_json_api_metadata(Blackboard& blackboard, std::ostream& out);
void jsonMetaData(const Blackboard& blackboard, std::ostream& out);
}  // namespace v2

}  // namespace kavero
}  // namespace zel

#endif  // KAVERO_API_RESULT_JSON_METADATA_H_
