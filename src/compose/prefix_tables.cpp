#include "compose/prefix_tables.h"

#include <array>

namespace xunda {
namespace {

constexpr PrefixTable kMobile1 = PrefixTable::Mobile1;
constexpr PrefixTable kMobile2 = PrefixTable::Mobile2;
constexpr PrefixTable kArea = PrefixTable::AreaCode;

// clang-format off
constexpr std::array<PrefixEntry, 365> kEntries{{
    // First mobile table
    {"*134", kMobile1}, {"*135", kMobile1}, {"*136", kMobile1}, {"*137", kMobile1}, {"*138", kMobile1},
    {"*139", kMobile1}, {"*150", kMobile1}, {"*151", kMobile1}, {"*152", kMobile1}, {"*157", kMobile1},
    {"*158", kMobile1}, {"*159", kMobile1}, {"*187", kMobile1}, {"*188", kMobile1}, {"*147", kMobile1},
    {"*182", kMobile1}, {"*183", kMobile1},
    // Second mobile table
    {"*130", kMobile2}, {"*131", kMobile2}, {"*132", kMobile2}, {"*133", kMobile2}, {"*145", kMobile2},
    {"*153", kMobile2}, {"*155", kMobile2}, {"*156", kMobile2}, {"*180", kMobile2}, {"*185", kMobile2},
    {"*186", kMobile2}, {"*189", kMobile2},
    // Area codes followed by 8 digits
    {"*010", kArea}, {"*020", kArea}, {"*021", kArea}, {"*022", kArea}, {"*023", kArea}, {"*024", kArea},
    {"*025", kArea}, {"*027", kArea}, {"*028", kArea}, {"*029", kArea}, {"*0311", kArea}, {"*0371", kArea},
    {"*0377", kArea}, {"*0379", kArea}, {"*0411", kArea}, {"*0451", kArea}, {"*0512", kArea},
    {"*0513", kArea}, {"*0516", kArea}, {"*0510", kArea}, {"*0531", kArea}, {"*0532", kArea},
    {"*0571", kArea}, {"*0574", kArea}, {"*0577", kArea}, {"*0591", kArea}, {"*0595", kArea},
    {"*0755", kArea}, {"*0757", kArea}, {"*0760", kArea}, {"*0769", kArea}, {"*0898", kArea},
    {"*0431", kArea},
    // Area codes followed by 7 digits
    {"0310", kArea}, {"0312", kArea}, {"0313", kArea}, {"0314", kArea}, {"0315", kArea}, {"0316", kArea},
    {"0317", kArea}, {"0318", kArea}, {"0319", kArea}, {"0335", kArea}, {"0349", kArea}, {"0350", kArea},
    {"0351", kArea}, {"0352", kArea}, {"0353", kArea}, {"0354", kArea}, {"0355", kArea}, {"0356", kArea},
    {"0357", kArea}, {"0358", kArea}, {"0359", kArea}, {"0370", kArea}, {"0372", kArea}, {"0373", kArea},
    {"0374", kArea}, {"0375", kArea}, {"0376", kArea}, {"0378", kArea}, {"0391", kArea}, {"0392", kArea},
    {"0393", kArea}, {"0394", kArea}, {"0395", kArea}, {"0396", kArea}, {"0397", kArea}, {"0398", kArea},
    {"0410", kArea}, {"0412", kArea}, {"0413", kArea}, {"0414", kArea}, {"0415", kArea}, {"0416", kArea},
    {"0417", kArea}, {"0418", kArea}, {"0419", kArea}, {"0421", kArea}, {"0427", kArea}, {"0429", kArea},
    {"0432", kArea}, {"0433", kArea}, {"0434", kArea}, {"0435", kArea}, {"0436", kArea}, {"0437", kArea},
    {"0438", kArea}, {"0439", kArea}, {"0440", kArea}, {"0448", kArea}, {"0452", kArea}, {"0453", kArea},
    {"0454", kArea}, {"0455", kArea}, {"0456", kArea}, {"0457", kArea}, {"0458", kArea}, {"0459", kArea},
    {"0464", kArea}, {"0467", kArea}, {"0468", kArea}, {"0469", kArea}, {"0470", kArea}, {"0471", kArea},
    {"0472", kArea}, {"0473", kArea}, {"0474", kArea}, {"0475", kArea}, {"0476", kArea}, {"0477", kArea},
    {"0478", kArea}, {"0479", kArea}, {"0482", kArea}, {"0483", kArea}, {"0511", kArea}, {"0514", kArea},
    {"0515", kArea}, {"0517", kArea}, {"0518", kArea}, {"0519", kArea}, {"0523", kArea}, {"0527", kArea},
    {"0530", kArea}, {"0533", kArea}, {"0534", kArea}, {"0535", kArea}, {"0536", kArea}, {"0537", kArea},
    {"0538", kArea}, {"0539", kArea}, {"0543", kArea}, {"0546", kArea}, {"0550", kArea}, {"0551", kArea},
    {"0552", kArea}, {"0553", kArea}, {"0554", kArea}, {"0555", kArea}, {"0556", kArea}, {"0557", kArea},
    {"0558", kArea}, {"0559", kArea}, {"0561", kArea}, {"0562", kArea}, {"0563", kArea}, {"0564", kArea},
    {"0565", kArea}, {"0566", kArea}, {"0570", kArea}, {"0572", kArea}, {"0573", kArea}, {"0575", kArea},
    {"0576", kArea}, {"0578", kArea}, {"0579", kArea}, {"0580", kArea}, {"0592", kArea}, {"0593", kArea},
    {"0594", kArea}, {"0596", kArea}, {"0597", kArea}, {"0598", kArea}, {"0599", kArea}, {"0631", kArea},
    {"0632", kArea}, {"0633", kArea}, {"0634", kArea}, {"0635", kArea}, {"0660", kArea}, {"0661", kArea},
    {"0662", kArea}, {"0663", kArea}, {"0668", kArea}, {"0691", kArea}, {"0692", kArea}, {"0701", kArea},
    {"0710", kArea}, {"0711", kArea}, {"0712", kArea}, {"0713", kArea}, {"0714", kArea}, {"0715", kArea},
    {"0716", kArea}, {"0717", kArea}, {"0718", kArea}, {"0719", kArea}, {"0722", kArea}, {"0724", kArea},
    {"0728", kArea}, {"0730", kArea}, {"0731", kArea}, {"0732", kArea}, {"0733", kArea}, {"0734", kArea},
    {"0735", kArea}, {"0736", kArea}, {"0737", kArea}, {"0738", kArea}, {"0739", kArea}, {"0743", kArea},
    {"0744", kArea}, {"0745", kArea}, {"0746", kArea}, {"0750", kArea}, {"0751", kArea}, {"0752", kArea},
    {"0753", kArea}, {"0754", kArea}, {"0756", kArea}, {"0758", kArea}, {"0759", kArea}, {"0762", kArea},
    {"0763", kArea}, {"0766", kArea}, {"0768", kArea}, {"0770", kArea}, {"0771", kArea}, {"0772", kArea},
    {"0773", kArea}, {"0774", kArea}, {"0775", kArea}, {"0776", kArea}, {"0777", kArea}, {"0778", kArea},
    {"0779", kArea}, {"0790", kArea}, {"0791", kArea}, {"0792", kArea}, {"0793", kArea}, {"0794", kArea},
    {"0795", kArea}, {"0796", kArea}, {"0797", kArea}, {"0798", kArea}, {"0799", kArea}, {"0812", kArea},
    {"0813", kArea}, {"0816", kArea}, {"0817", kArea}, {"0818", kArea}, {"0825", kArea}, {"0826", kArea},
    {"0827", kArea}, {"0830", kArea}, {"0831", kArea}, {"0832", kArea}, {"0833", kArea}, {"0834", kArea},
    {"0835", kArea}, {"0836", kArea}, {"0837", kArea}, {"0838", kArea}, {"0839", kArea}, {"0851", kArea},
    {"0852", kArea}, {"0853", kArea}, {"0854", kArea}, {"0855", kArea}, {"0856", kArea}, {"0857", kArea},
    {"0858", kArea}, {"0859", kArea}, {"0870", kArea}, {"0871", kArea}, {"0872", kArea}, {"0873", kArea},
    {"0874", kArea}, {"0875", kArea}, {"0876", kArea}, {"0877", kArea}, {"0878", kArea}, {"0879", kArea},
    {"0883", kArea}, {"0886", kArea}, {"0887", kArea}, {"0888", kArea}, {"0890", kArea}, {"0891", kArea},
    {"0892", kArea}, {"0893", kArea}, {"0894", kArea}, {"0895", kArea}, {"0896", kArea}, {"0897", kArea},
    {"0899", kArea}, {"0901", kArea}, {"0902", kArea}, {"0903", kArea}, {"0906", kArea}, {"0908", kArea},
    {"0909", kArea}, {"0910", kArea}, {"0911", kArea}, {"0912", kArea}, {"0913", kArea}, {"0914", kArea},
    {"0915", kArea}, {"0916", kArea}, {"0917", kArea}, {"0919", kArea}, {"0930", kArea}, {"0931", kArea},
    {"0932", kArea}, {"0933", kArea}, {"0934", kArea}, {"0935", kArea}, {"0936", kArea}, {"0937", kArea},
    {"0938", kArea}, {"0939", kArea}, {"0941", kArea}, {"0943", kArea}, {"0951", kArea}, {"0952", kArea},
    {"0953", kArea}, {"0954", kArea}, {"0970", kArea}, {"0971", kArea}, {"0972", kArea}, {"0973", kArea},
    {"0974", kArea}, {"0975", kArea}, {"0976", kArea}, {"0977", kArea}, {"0979", kArea}, {"0990", kArea},
    {"0991", kArea}, {"0992", kArea}, {"0993", kArea}, {"0994", kArea}, {"0995", kArea}, {"0996", kArea},
    {"0997", kArea}, {"0998", kArea}, {"0999", kArea},
}};
// clang-format on

}  // namespace

std::span<const PrefixEntry> AllPrefixEntries() {
    return kEntries;
}

std::string_view PrefixOf(std::string_view entry) {
    return entry.starts_with('*') ? entry.substr(1) : entry;
}

std::size_t NumberLength(std::string_view entry) {
    return PrefixOf(entry).size() + (entry.starts_with('*') ? 8 : 7);
}

}  // namespace xunda
