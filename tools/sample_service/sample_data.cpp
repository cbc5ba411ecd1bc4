// The sample users and their shared files. Everything the offline service serves is here.
#include "tools/sample_service/sample_service.h"

namespace velmora::sample {

const SampleCatalogue& builtin_catalogue() {
  static const SampleCatalogue catalogue = {
      {
          "100000001",
          "小鹿的书房",
          {
              {"7310000011", "读书笔记-2025.txt", "reading-notes-2025.txt",
               "读书笔记 2025\n"
               "\n"
               "一月：《城南旧事》，林海音。童年的北京，写得很淡，读完却久久放不下。\n"
               "二月：《活着》，余华。第二遍读，比第一遍更难过。\n"
               "三月：《额尔古纳河右岸》，迟子建。\n"},
              {"7310000012", "家常菜谱（第二版）.md", "100000001/recipes/home-cooking-2nd.md",
               "# 家常菜谱（第二版）\n"
               "\n"
               "## 西红柿炒鸡蛋\n"
               "\n"
               "- 鸡蛋 3 个，西红柿 2 个，盐、糖少许\n"
               "- 先炒鸡蛋，盛出；再炒西红柿出汁，倒回鸡蛋翻匀。\n"},
              {"7310000013", "旅行照片清单.csv", "travel-photos.csv",
               "日期,地点,张数\n"
               "2025-04-03,杭州西湖,128\n"
               "2025-05-01,黄山,342\n"
               "2025-07-19,青岛,87\n"},
              {"7310000014", "会议纪要 2025年3月.txt", "100000001/minutes/2025-03.txt",
               "读书会会议纪要（2025年3月）\n"
               "\n"
               "出席：8 人\n"
               "议题：下季度书单；场地费用分摊。\n"
               "结论：四月读《平凡的世界》第一部。\n"},
          },
      },
      {
          "100000002",
          "Open Data Club",
          {
              {"7320000021", "README.txt", "README.txt",
               "Open Data Club - shared samples\n"
               "\n"
               "Small, free data sets for practice. Each file is plain text.\n"},
              {"7320000022", "city-bike-trips-sample.csv", "100000002/data/2025/bike-trips.csv",
               "trip_id,start,end,minutes\n"
               "1,Harbour,Old Town,12\n"
               "2,Old Town,University,9\n"
               "3,University,Harbour,17\n"},
              {"7320000023", "club logo.svg", "100000002/art/club-logo.svg",
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\">"
               "<circle cx=\"32\" cy=\"32\" r=\"28\" fill=\"#2a7ae2\"/></svg>\n"},
          },
      },
      {
          "100000003",
          "Café Müller",
          {
              {"7330000031", "Menü Sommer.txt", "menu-summer.txt",
               "Menü Sommer\n\nGazpacho 6,50\nFlammkuchen 9,00\n"},
              {"7330000032", "Crème brûlée recipe.txt", "100000003/recipes/creme-brulee.txt",
               "Crème brûlée\n\n500 ml cream, 5 yolks, 80 g sugar, 1 vanilla pod.\n"},
              {"7330000033", "Salsa jalapeño.txt", "100000003/recipes/salsa.txt",
               "Salsa jalapeño\n\n4 tomatoes, 1 onion, 2 jalapeños, lime, salt.\n"},
          },
      },
      {"100000004", "空空如也", {}},
  };
  return catalogue;
}

}  // namespace velmora::sample
