<CHANNEL
	Title = "Tendrel News"
	Abstract = " Daily news from Tendrel "
	SELF = "http://www.example.com/news/pc.cdf"
	ContentID = "0"
	Ratings = "(No Rating)"
	Frequency = "6"
	Authenticate = "No"
	>
	<ITEM
		Title = "  Tendrel News "
		HREF = "http://www.example.com/news/"
		Type = "HTML"
		Show = "Channel"
		Precache = "Yes"
		Authenticate = "No"
	</ITEM>
</CHANNEL>
